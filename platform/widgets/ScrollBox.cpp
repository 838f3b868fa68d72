#include "ScrollBox.h"

#include <QPainter>

namespace {
// The sunken edge of a single border, as wide as the old client edge.
constexpr int EdgeWidth = 2;
}  // namespace

TScrollBox::TScrollBox(QObject* owner) : TControl(owner) { SetBounds(0, 0, 185, 41); }

void TScrollBox::SetBorderStyle(TBorderStyle v) {
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    Realign();
    update();
}

void TScrollBox::AdjustClientRect(QRect& rect) const {
    if (FBorderStyle == bsSingle) rect.adjust(EdgeWidth, EdgeWidth, -EdgeWidth, -EdgeWidth);
}

void TScrollBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ColorToQColor(Color()));
    if (FBorderStyle != bsSingle) return;
    const QRect r = rect().adjusted(0, 0, -1, -1);
    const QColor shadow = palette().color(QPalette::Dark), dark = palette().color(QPalette::Shadow);
    const QColor light = palette().color(QPalette::Light), mid = palette().color(QPalette::Midlight);
    const auto edge = [&p](QRect b, const QColor& topLeft, const QColor& bottomRight) {
        p.setPen(topLeft);
        p.drawLine(b.topLeft(), b.topRight());
        p.drawLine(b.topLeft(), b.bottomLeft());
        p.setPen(bottomRight);
        p.drawLine(b.bottomLeft(), b.bottomRight());
        p.drawLine(b.topRight(), b.bottomRight());
    };
    edge(r, shadow, light);
    edge(r.adjusted(1, 1, -1, -1), dark, mid);
}
