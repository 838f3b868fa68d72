#pragma once
// The scroll box of stored forms: a container for the controls of a user
// form. Its controls keep their stored places; the box does not scroll them
// (a form larger than the box is cut at its edges).
#include "Controls.h"

class TScrollBox : public TControl {
    Q_OBJECT
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
public:
    enum TBorderStyle { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)

    Q_INVOKABLE explicit TScrollBox(QObject* owner = nullptr);
    ~TScrollBox() override;

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    bool AcceptsControls() const override { return true; }

protected:
    void AdjustClientRect(QRect& rect) const override;
    void paintEvent(QPaintEvent* e) override;

private:
    TBorderStyle FBorderStyle = bsSingle;
};
