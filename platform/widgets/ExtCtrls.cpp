#include "ExtCtrls.h"

#include <QPainter>
#include <algorithm>

TPanel::TPanel(QObject* owner) : TControl(owner) { SetBounds(0, 0, 185, 41); }

void TPanel::SetCaption(const QString& v) {
    FCaption = v;
    update();
}
void TPanel::SetBevelInner(TBevelCut v) {
    FBevelInner = v;
    Realign();
    update();
}
void TPanel::SetBevelOuter(TBevelCut v) {
    FBevelOuter = v;
    Realign();
    update();
}
void TPanel::SetBevelWidth(int v) {
    FBevelWidth = std::clamp(v, 1, 100);
    Realign();
    update();
}
void TPanel::SetBorderStyle(TBorderStyle v) {
    FBorderStyle = v;
    Realign();
    update();
}
void TPanel::SetBorderWidth(int v) {
    FBorderWidth = std::clamp(v, 0, 100);
    Realign();
    update();
}

int TPanel::FrameWidth() const {
    return TPanelFrame{FBevelInner, FBevelOuter, FBevelWidth, FBorderStyle, FBorderWidth}.Width();
}

void TPanel::AdjustClientRect(QRect& rect) const {
    const int w = FrameWidth();
    rect.adjust(w, w, -w, -w);
}

int TPanelFrame::Width() const {
    int w = BorderWidth + (Border == TPanel::bsSingle ? 1 : 0);
    if (Outer != TPanel::bvNone) w += BevelWidth;
    if (Inner != TPanel::bvNone) w += BevelWidth;
    return w;
}

void TPanelFrame::Paint(QPainter& p, QRect& r, const QPalette& palette, const QColor& borderFill) const {
    const auto bevel = [&](TPanel::TBevelCut cut) {
        if (cut == TPanel::bvNone) return;
        if (cut != TPanel::bvSpace) {
            const QColor light = palette.color(QPalette::Light), dark = palette.color(QPalette::Dark);
            const QColor tl = cut == TPanel::bvRaised ? light : dark, br = cut == TPanel::bvRaised ? dark : light;
            for (int i = 0; i < BevelWidth; ++i) {
                const QRect b = r.adjusted(i, i, -i - 1, -i - 1);
                p.setPen(tl);
                p.drawLine(b.topLeft(), b.topRight());
                p.drawLine(b.topLeft(), b.bottomLeft());
                p.setPen(br);
                p.drawLine(b.bottomLeft(), b.bottomRight());
                p.drawLine(b.topRight(), b.bottomRight());
            }
        }
        r.adjust(BevelWidth, BevelWidth, -BevelWidth, -BevelWidth);
    };
    if (Border == TPanel::bsSingle) {
        p.setPen(palette.color(QPalette::WindowText));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    bevel(Outer);
    if (BorderWidth > 0 && borderFill.isValid()) {
        const QRect inside = r.adjusted(BorderWidth, BorderWidth, -BorderWidth, -BorderWidth);
        p.fillRect(QRect(r.left(), r.top(), r.width(), BorderWidth), borderFill);
        p.fillRect(QRect(r.left(), inside.bottom() + 1, r.width(), BorderWidth), borderFill);
        p.fillRect(QRect(r.left(), inside.top(), BorderWidth, inside.height()), borderFill);
        p.fillRect(QRect(inside.right() + 1, inside.top(), BorderWidth, inside.height()), borderFill);
    }
    r.adjust(BorderWidth, BorderWidth, -BorderWidth, -BorderWidth);
    bevel(Inner);
}

void TPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect r = rect();
    p.fillRect(r, ColorToQColor(Color()));
    TPanelFrame{FBevelInner, FBevelOuter, FBevelWidth, FBorderStyle, FBorderWidth}.Paint(p, r, palette());
    if (!FCaption.isEmpty()) {
        p.setFont(Font()->ToQFont());
        p.setPen(ColorToQColor(Font()->Color()));
        p.drawText(r, Qt::AlignCenter, FCaption);
    }
}
