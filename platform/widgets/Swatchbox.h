#pragma once
// The colour box of the outside colour package: a rectangle filled with its
// colour. A click asks the user for another colour through the UI services;
// every change of the colour is announced by OnChangeColor.
#include "Graphics.h"

#include <QWidget>

#pragma GCC visibility push(default)

class TColorRect : public QWidget {
    Q_OBJECT
public:
    explicit TColorRect(QWidget* parent = nullptr);

    TColor Color() const { return FColor; }
    // Announces the change only when the colour differs.
    void SetColor(TColor color);

    QSize sizeHint() const override { return {40, 21}; }

signals:
    void OnChangeColor(TColor color);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    TColor FColor = clBlack;
};

#pragma GCC visibility pop
