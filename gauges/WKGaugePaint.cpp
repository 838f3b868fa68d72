// Painting of the bar gauge: composed in an image of the control's size and
// then copied, so that a frame never shows half drawn.
#include "WKGauge.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <tuple>

namespace {
void DrawText(QPainter& g, const TFont& font, int x, int y, const QString& text) {
    g.setFont(font.ToQFont());
    g.setPen(ColorToQColor(font.Color()));
    const QFontMetrics fm(g.font());
    g.drawText(QPoint(x, y + fm.ascent()), text);
}
}  // namespace

QImage TWKGauge::Render() {
    QImage image(std::max(1, Width()), std::max(1, Height()), QImage::Format_ARGB32_Premultiplied);
    QPainter g(&image);
    Paint(g);
    return image;
}

void TWKGauge::paintEvent(QPaintEvent*) {
    const QImage frame = Render();
    QPainter(this).drawImage(0, 0, frame);
}

void TWKGauge::Paint(QPainter& g) {
    const QRect all(0, 0, Width(), Height());
    g.fillRect(all, ColorToQColor(Color()));
    if (FBorderWidth > 0) {
        QPen pen(ColorToQColor(FBorderColor), FBorderWidth);
        pen.setJoinStyle(Qt::MiterJoin);
        g.setPen(pen);
        g.setBrush(Qt::NoBrush);
        g.drawRect(QRectF(all).adjusted(FBorderWidth / 2.0, FBorderWidth / 2.0, -FBorderWidth / 2.0,
                                        -FBorderWidth / 2.0));
    }
    g.fillRect(FGaugeRect, ColorToQColor(FGaugeBkColor));
    if (FGaugeState == gsValue && FPosRect.width() > 0 && FPosRect.height() > 0)
        g.fillRect(FPosRect, ColorToQColor(BarColor()));

    const QColor out = ColorToQColor(FGaugeOutColor);
    g.setPen(QPen(out, 1));
    g.setBrush(out);
    const bool vertical = Vertical();
    auto drawMark = [&](const QRect& m) {
        g.drawLine(m.topLeft(), m.bottomRight());
        if (!FShowLimits) return;
        if (vertical) {
            const int x = m.right(), y = m.top();
            g.drawPolygon(QPolygon({QPoint(x, y), QPoint(x + 5, y - 5), QPoint(x + 5, y + 5)}));
        } else {
            const int x = m.left(), y = m.bottom();
            g.drawPolygon(QPolygon({QPoint(x, y), QPoint(x - 5, y + 5), QPoint(x + 5, y + 5)}));
        }
    };
    if (FShowMinLimit) drawMark(FMinLimitRect);
    if (FShowMaxLimit) drawMark(FMaxLimitRect);

    const TFont& font = *Font();
    const QFontMetrics fm(font.ToQFont());
    // With Invert the scale ends swap their texts.
    const QString lowText = Format(FInvert ? FMaxPosition : FMinPosition);
    const QString highText = Format(FInvert ? FMinPosition : FMaxPosition);
    const QRect r = FGaugeRect;
    if (vertical) {
        if (FShowText) {
            DrawText(g, font, r.left() - 2 - fm.horizontalAdvance(highText), r.top() + 2, highText);
            DrawText(g, font, r.left() - 2 - fm.horizontalAdvance(lowText), r.bottom() - FTextHeight - 2, lowText);
        }
        if (FShowLimits) {
            if (FShowMinLimit) DrawText(g, font, r.right() + 7, FMinLimitRect.top() - FTextHeight / 4, Format(FMinLimit));
            if (FShowMaxLimit) DrawText(g, font, r.right() + 7, FMaxLimitRect.top() - FTextHeight / 4, Format(FMaxLimit));
        }
    } else {
        if (FShowText) {
            const int y = r.top() - 2 - FTextHeight;
            DrawText(g, font, r.left() + 2, y, lowText);
            DrawText(g, font, r.right() - 2 - fm.horizontalAdvance(highText), y, highText);
        }
        if (FShowLimits) {
            for (auto [show, m, v] : {std::tuple{FShowMinLimit, FMinLimitRect, FMinLimit},
                                      std::tuple{FShowMaxLimit, FMaxLimitRect, FMaxLimit}}) {
                if (!show) continue;
                const QString t = Format(v);
                DrawText(g, font, m.left() - fm.horizontalAdvance(t) / 4, r.bottom() + 7, t);
            }
        }
    }
    if (FShowValue) {
        g.setFont(FPositionFont->ToQFont());
        g.setPen(ColorToQColor(FPositionFont->Color()));
        g.drawText(r, Qt::AlignCenter | Qt::TextSingleLine, FDisplayValue);
    }
}
