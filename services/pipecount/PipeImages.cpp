#include "PipeImages.h"

#include <QPainter>
#include <QPainterPath>

namespace {
// A vertical tube: body with a light stripe, a wider box joint at its top.
void DrawTube(QPainter& p, double s, const QColor& body, double bodyWidth, double jointWidth) {
    const double cx = s / 2;
    const QRectF tube(cx - bodyWidth / 2, s * 0.22, bodyWidth, s * 0.72);
    p.setPen(QPen(body.darker(170), s / 16));
    p.setBrush(body);
    p.drawRect(tube);
    p.setPen(Qt::NoPen);
    p.setBrush(body.lighter(150));
    p.drawRect(QRectF(tube.left() + bodyWidth * 0.2, tube.top(), bodyWidth * 0.2, tube.height()));
    p.setPen(QPen(body.darker(170), s / 16));
    p.setBrush(body.darker(120));
    p.drawRect(QRectF(cx - jointWidth / 2, s * 0.06, jointWidth, s * 0.18));
}

QPixmap Draw(int size, int kind) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const double s = size;
    switch (kind) {
        case 0:
            DrawTube(p, s, QColor(120, 130, 145), s * 0.28, s * 0.44);
            break;
        case 1: {
            DrawTube(p, s, QColor(70, 95, 150), s * 0.4, s * 0.5);
            // A bit's cutters at the lower end.
            QPainterPath bit;
            bit.moveTo(s * 0.3, s * 0.8);
            bit.lineTo(s * 0.7, s * 0.8);
            bit.lineTo(s * 0.5, s * 0.98);
            bit.closeSubpath();
            p.setPen(QPen(QColor(40, 40, 40), s / 16));
            p.setBrush(QColor(200, 160, 40));
            p.drawPath(bit);
            break;
        }
        case 2:
            p.setPen(QPen(QColor(150, 150, 150), s / 10, Qt::SolidLine, Qt::RoundCap));
            p.drawEllipse(QRectF(s * 0.2, s * 0.2, s * 0.6, s * 0.6));
            p.drawLine(QPointF(s * 0.3, s * 0.7), QPointF(s * 0.7, s * 0.3));
            break;
        default:
            DrawTube(p, s, QColor(150, 100, 60), s * 0.56, s * 0.72);
            break;
    }
    return pm;
}
}  // namespace

TPictureList DrawPipeImages(int Size) {
    TPictureList list;
    for (int kind = 0; kind < 4; ++kind) list.Add(Draw(Size, kind));
    return list;
}
