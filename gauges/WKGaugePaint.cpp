// Painting of the bar gauge: composed in an image of the control's size and
// then copied, so that a frame never shows half drawn.
#include "WKGauge.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>
#include <QRegion>
#include <algorithm>
#include <cmath>
#include <utility>
#include <tuple>

namespace {
void DrawText(QPainter& g, const TFont& font, int x, int y, const QString& text) {
    g.setFont(font.ToQFont());
    g.setPen(ColorToQColor(font.Color()));
    const QFontMetrics fm(g.font());
    g.drawText(QPoint(x, y + fm.ascent()), text);
}
double RelativeLuminance(const QColor& c) {
    auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double Contrast(const QColor& a, const QColor& b) {
    const double la = RelativeLuminance(a), lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The chosen colour where it reads against what is under it (a contrast of
// at least 3:1), else black or white, whichever reads better.
QColor ReadableOn(const QColor& wanted, const QColor& under) {
    if (Contrast(wanted, under) >= 3) return wanted;
    return Contrast(Qt::black, under) >= Contrast(Qt::white, under) ? QColor(Qt::black) : QColor(Qt::white);
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
        // Centred on the bar and never cut by it; where the text crosses the
        // filled bar, the empty bar or the control, it takes a colour that can
        // be read there.
        g.setFont(FPositionFont->ToQFont());
        const QColor wanted = ColorToQColor(FPositionFont->Color());
        const QRegion bar = FGaugeState == gsValue ? QRegion(FPosRect & r) : QRegion();
        const std::pair<QRegion, TColor> parts[] = {
            {bar, BarColor()}, {QRegion(r) - bar, FGaugeBkColor}, {QRegion(all) - QRegion(r), Color()}};
        for (const auto& [clip, under] : parts) {
            if (clip.isEmpty()) continue;
            g.save();
            g.setClipRegion(clip);
            g.setPen(ReadableOn(wanted, ColorToQColor(under)));
            g.drawText(r, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextDontClip, FDisplayValue);
            g.restore();
        }
    }
}
