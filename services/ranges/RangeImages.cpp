#include "RangeImages.h"

#include <QPainter>
#include <QPainterPath>

namespace {
// Two red limit lines with a blue trace that runs between them.
void DrawLimits(QPainter& p, double s) {
    p.setPen(QPen(QColor(200, 40, 40), s / 10, Qt::SolidLine, Qt::FlatCap));
    p.drawLine(QPointF(s * 0.08, s * 0.2), QPointF(s * 0.92, s * 0.2));
    p.drawLine(QPointF(s * 0.08, s * 0.8), QPointF(s * 0.92, s * 0.8));
    QPainterPath trace;
    trace.moveTo(s * 0.08, s * 0.55);
    trace.cubicTo(s * 0.3, s * 0.25, s * 0.5, s * 0.75, s * 0.92, s * 0.4);
    p.setPen(QPen(QColor(30, 80, 190), s / 10, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawPath(trace);
}

QPixmap Draw(int size, int kind) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    switch (kind) {
        case 0:
            DrawLimits(p, s);
            break;
        case 1:
            DrawLimits(p, s);
            p.setPen(QPen(QColor(60, 60, 60), s / 8, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(QPointF(s * 0.15, s * 0.15), QPointF(s * 0.85, s * 0.85));
            break;
        default: {
            // A switch: a rounded track with its knob on the right.
            const QRectF track(s * 0.06, s * 0.3, s * 0.88, s * 0.4);
            p.setPen(QPen(QColor(40, 110, 40), s / 16));
            p.setBrush(QColor(90, 180, 90));
            p.drawRoundedRect(track, s * 0.2, s * 0.2);
            p.setBrush(Qt::white);
            p.drawEllipse(QRectF(s * 0.56, s * 0.3, s * 0.38, s * 0.4));
            break;
        }
    }
    return pm;
}
}  // namespace

TPictureList DrawRangeImages(int Size) {
    TPictureList list;
    for (int kind = 0; kind < 3; ++kind) list.Add(Draw(Size, kind));
    return list;
}
