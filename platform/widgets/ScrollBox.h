#pragma once
// The scroll box: a container of controls with an optional sunken border. It
// is the root of a user form file and the host of a composite form's
// controls. It keeps AutoScroll as stored and written back; it shows no
// scroll bars.
#include "Controls.h"

class TScrollBox : public TControl {
    Q_OBJECT
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(bool AutoScroll READ AutoScroll WRITE SetAutoScroll)
public:
    enum TBorderStyle { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)

    Q_INVOKABLE explicit TScrollBox(QObject* owner = nullptr);

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool v) { FAutoScroll = v; }
    bool AcceptsControls() const override { return true; }

protected:
    void AdjustClientRect(QRect& rect) const override;
    void paintEvent(QPaintEvent* e) override;

private:
    TBorderStyle FBorderStyle = bsSingle;
    bool FAutoScroll = true;
};
