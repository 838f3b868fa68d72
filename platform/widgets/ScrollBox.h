#pragma once
// The scroll box: a framed container whose unaligned children may reach past
// its client area; with AutoScroll, scroll bars appear for what lies outside
// and the box scrolls its children (the wheel scrolls vertically).
#include "Controls.h"

#pragma GCC visibility push(default)

class QScrollBar;

class TScrollBox : public TControl {
    Q_OBJECT
    Q_PROPERTY(bool AutoScroll READ AutoScroll WRITE SetAutoScroll)
    Q_PROPERTY(TBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
public:
    enum TBorderStyle { bsNone, bsSingle };
    Q_ENUM(TBorderStyle)

    Q_INVOKABLE explicit TScrollBox(QObject* owner = nullptr);

    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool v);
    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle v);
    bool AcceptsControls() const override { return true; }

    // How far the content is scrolled (0, 0: not at all).
    QPoint ScrollPos() const { return FScrollPos; }
    // Scrolls to a position, clamped to the content; unaligned children move.
    void ScrollTo(QPoint pos);
    // The size of what the unaligned children cover, from the unscrolled origin.
    QSize ContentSize() const;
    // Recomputes the scroll bars after children were added, moved or resized.
    void UpdateScrollBars();
    void Loaded() override;

protected:
    void AdjustClientRect(QRect& rect) const override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;

private:
    QRect FramedRect() const;
    bool FAutoScroll = true;
    TBorderStyle FBorderStyle = bsSingle;
    QPoint FScrollPos;
    QScrollBar* FHorz;
    QScrollBar* FVert;
    bool FUpdating = false;
};

#pragma GCC visibility pop
