#include "DesignerIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {
constexpr int Size = 16;

void Sheet(QPainter& p) {
    p.setPen(QColor(64, 64, 64));
    p.setBrush(Qt::white);
    QPainterPath path;
    path.moveTo(3.5, 1.5);
    path.lineTo(10.5, 1.5);
    path.lineTo(13.5, 4.5);
    path.lineTo(13.5, 14.5);
    path.lineTo(3.5, 14.5);
    path.closeSubpath();
    p.drawPath(path);
}

void Plus(QPainter& p, QColor c) {
    p.setPen(QPen(c, 2));
    p.drawLine(QPointF(8, 3), QPointF(8, 13));
    p.drawLine(QPointF(3, 8), QPointF(13, 8));
}
}  // namespace

QIcon DesignerIcon(int index) {
    QPixmap pm(Size, Size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    switch (index) {
        case 0:  // new form: a blank sheet
            Sheet(p);
            break;
        case 1:  // add a control: a green plus over a small frame
            p.setPen(QColor(96, 96, 96));
            p.setBrush(QColor(230, 230, 230));
            p.drawRect(QRectF(1.5, 4.5, 9, 7));
            Plus(p, QColor(0, 140, 0));
            break;
        case 2:  // delete: a red cross
            p.setPen(QPen(QColor(200, 0, 0), 2.2));
            p.drawLine(QPointF(3, 3), QPointF(13, 13));
            p.drawLine(QPointF(13, 3), QPointF(3, 13));
            break;
        case 3:  // open: a yellow folder
            p.setPen(QColor(120, 90, 0));
            p.setBrush(QColor(240, 200, 80));
            p.drawRect(QRectF(1.5, 4.5, 13, 9));
            p.drawRect(QRectF(1.5, 2.5, 5, 2));
            break;
        case 4:  // save: a blue diskette
            p.setPen(QColor(20, 40, 110));
            p.setBrush(QColor(60, 90, 180));
            p.drawRect(QRectF(1.5, 1.5, 13, 13));
            p.setBrush(Qt::white);
            p.drawRect(QRectF(4.5, 1.5, 7, 5));
            p.drawRect(QRectF(3.5, 9.5, 9, 5));
            break;
        default:  // properties: a sheet with lines
            Sheet(p);
            p.setPen(QColor(0, 0, 160));
            for (int y = 5; y <= 12; y += 2) p.drawLine(QPointF(5, y + 0.5), QPointF(12, y + 0.5));
            break;
    }
    p.end();
    return QIcon(pm);
}
