#pragma once
// Plain dialog controls of the old class library that Qt has no single widget
// for: the labelled edit, the up-down edit, the radio group, the check list
// and the shape used as a colour preview.
#include "Graphics.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QSpinBox>
#include <QStringList>
#include <QWidget>

#pragma GCC visibility push(default)

class QAbstractButton;
class QButtonGroup;
class QLabel;

// An edit with its caption above it.
class TLabeledEdit : public QWidget {
    Q_OBJECT
public:
    explicit TLabeledEdit(const QString& caption, QWidget* parent = nullptr);
    QString Text() const { return FEdit->text(); }
    void SetText(const QString& text) { FEdit->setText(text); }
    QLabel* EditLabel() const { return FLabel; }
    QLineEdit* Edit() const { return FEdit; }

private:
    QLabel* FLabel;
    QLineEdit* FEdit;
};

// An integer edit with up and down buttons.
class TUpDownEdit : public QSpinBox {
    Q_OBJECT
public:
    explicit TUpDownEdit(QWidget* parent = nullptr);
    int Value() const { return value(); }
    void SetValue(int v) { setValue(v); }
    void SetRange(int minValue, int maxValue) { setRange(minValue, maxValue); }
};

// A group box of radio buttons, one per item; ItemIndex -1 selects none.
class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TRadioGroup(const QString& caption, const QStringList& items = {}, QWidget* parent = nullptr);
    void SetItems(const QStringList& items);
    QStringList Items() const { return FItems; }
    int ItemIndex() const;
    // An index outside the items selects none.
    void SetItemIndex(int index);
    QAbstractButton* Button(int index) const;

signals:
    void ItemIndexChanged(int index);

private:
    QStringList FItems;
    QButtonGroup* FButtons;
};

// A list of items with check boxes.
class TCheckListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TCheckListBox(const QStringList& items = {}, QWidget* parent = nullptr);
    void SetItems(const QStringList& items);
    int Count() const { return count(); }
    bool Checked(int index) const;
    void SetChecked(int index, bool checked);
};

// A rectangle filled with a brush colour and outlined with a pen colour; it
// reports mouse presses (the colour previews open a colour dialog on them).
class TShape : public QWidget {
    Q_OBJECT
public:
    explicit TShape(QWidget* parent = nullptr);
    TColor BrushColor() const { return FBrush; }
    void SetBrushColor(TColor color);
    TColor PenColor() const { return FPen; }
    void SetPenColor(TColor color);
    QSize sizeHint() const override { return {65, 25}; }

signals:
    void MouseDown(Qt::MouseButton button);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    TColor FBrush = clWhite;
    TColor FPen = clBlack;
};

#pragma GCC visibility pop
