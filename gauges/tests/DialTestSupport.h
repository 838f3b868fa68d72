#pragma once
// Helpers of the dial tests: a dial that jumps to its values and shows only
// what a test names, pixel colours and the layer-to-control mapping.
#include "SmoothDial.h"

#include <QColor>
#include <QImage>
#include <QPointF>
#include <memory>

// A fresh 250 x 250 dial without animation.
inline std::unique_ptr<TSmoothDial> MakeDial() {
    auto d = std::make_unique<TSmoothDial>();
    d->SetAnimation(false);
    return d;
}

// Switches every drawn element off, so that a test can switch on what it checks.
inline void ClearDial(TSmoothDial& d) {
    d.InnerCircle()->SetColor(clNone);
    d.InnerCircle()->Gloss()->SetColor(clNone);
    d.OuterCircle()->SetColor(clNone);
    d.OuterRim()->SetColor(clNone);
    d.Arc()->SetColor(clNone);
    d.Arc()->Threshold()->SetColor(clNone);
    d.SetDivisionColor(clNone);
    d.SetSubDivisionColor(clNone);
    d.SetShowValues(false);
    d.Digit()->SetVisible(false);
    d.Needle()->SetColor(clNone);
    d.Needle()->SetShineColor(clNone);
    d.Needle()->SetOuterCenterColor(clNone);
    d.Needle()->SetInnerCenterColor(clNone);
}

// A point of the background layer (laid out on W x H) in control pixels.
inline QPointF LayerToControl(const TSmoothDial& d, QPointF p) {
    const QRectF r = d.ImageRect();
    return {r.x() + p.x() * r.width() / d.Width(), r.y() + p.y() * r.height() / d.LayoutHeight()};
}

inline QColor PixelAt(const QImage& image, QPointF p) {
    return QColor::fromRgba(image.pixel(int(p.x()), int(p.y())));
}

// True when the pixel is opaque and within tolerance of the colour.
inline bool Near(const QColor& c, TColor expected, int tolerance = 8) {
    const QColor e = ColorToQColor(expected);
    return c.alpha() == 255 && std::abs(c.red() - e.red()) <= tolerance &&
           std::abs(c.green() - e.green()) <= tolerance && std::abs(c.blue() - e.blue()) <= tolerance;
}
