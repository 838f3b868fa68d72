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
    int w = FBorderWidth + (FBorderStyle == bsSingle ? 1 : 0);
    if (FBevelOuter != bvNone) w += FBevelWidth;
    if (FBevelInner != bvNone) w += FBevelWidth;
    return w;
}

void TPanel::AdjustClientRect(QRect& rect) const {
    const int w = FrameWidth();
    rect.adjust(w, w, -w, -w);
}

void TPanel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QRect r = rect();
    p.fillRect(r, ColorToQColor(Color()));
    const auto bevel = [&](TBevelCut cut) {
        if (cut == bvNone) return;
        if (cut != bvSpace) {
            const QColor light = palette().color(QPalette::Light), dark = palette().color(QPalette::Dark);
            const QColor tl = cut == bvRaised ? light : dark, br = cut == bvRaised ? dark : light;
            for (int i = 0; i < FBevelWidth; ++i) {
                const QRect b = r.adjusted(i, i, -i - 1, -i - 1);
                p.setPen(tl);
                p.drawLine(b.topLeft(), b.topRight());
                p.drawLine(b.topLeft(), b.bottomLeft());
                p.setPen(br);
                p.drawLine(b.bottomLeft(), b.bottomRight());
                p.drawLine(b.topRight(), b.bottomRight());
            }
        }
        r.adjust(FBevelWidth, FBevelWidth, -FBevelWidth, -FBevelWidth);
    };
    if (FBorderStyle == bsSingle) {
        p.setPen(palette().color(QPalette::WindowText));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        r.adjust(1, 1, -1, -1);
    }
    bevel(FBevelOuter);
    r.adjust(FBorderWidth, FBorderWidth, -FBorderWidth, -FBorderWidth);
    bevel(FBevelInner);
    if (!FCaption.isEmpty()) {
        p.setFont(Font()->ToQFont());
        p.setPen(ColorToQColor(Font()->Color()));
        p.drawText(r, Qt::AlignCenter, FCaption);
    }
}
