#include "MainIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <functional>

namespace {
constexpr int Size = 16;
const QColor Outline(70, 70, 70);

QImage Draw(const std::function<void(QPainter&)>& paint) {
    QImage img(Size, Size, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    return img;
}

// A window with a blue title strip over the given rectangle.
void Window(QPainter& p, const QRectF& r) {
    p.setPen(QPen(Outline, 1));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.fillRect(QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 0.5, 2.5), QColor(70, 110, 190));
}

void Folder(QPainter& p) {
    p.setPen(QPen(QColor(150, 110, 20), 1));
    p.setBrush(QColor(240, 200, 90));
    p.drawPolygon(QPolygonF({{0.5, 3.5}, {5.5, 3.5}, {7, 5}, {14.5, 5}, {14.5, 13.5}, {0.5, 13.5}}));
    p.setBrush(QColor(250, 220, 120));
    p.drawPolygon(QPolygonF({{2.5, 7.5}, {15.5, 7.5}, {13.5, 13.5}, {0.5, 13.5}}));
}

void Floppy(QPainter& p, const QRectF& r, QColor body) {
    p.setPen(QPen(Outline, 1));
    p.setBrush(body);
    p.drawRect(r);
    p.setBrush(Qt::white);
    p.drawRect(QRectF(r.left() + 2, r.top(), r.width() - 4, r.height() * 0.4));
    p.setBrush(QColor(200, 200, 200));
    p.drawRect(QRectF(r.left() + 3, r.bottom() - r.height() * 0.35, r.width() - 6, r.height() * 0.35));
}

void Line(QPainter& p, const QPointF& from, QColor colour) {
    QPainterPath path(from);
    path.cubicTo(from + QPointF(3, -8), from + QPointF(5, 4), from + QPointF(9, -5));
    p.setPen(QPen(colour, 1.6));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}
}  // namespace

QList<QImage> MainCommandIcons() {
    QList<QImage> icons;
    icons << Draw([](QPainter& p) {  // new form: a window with a green plus
        Window(p, QRectF(0.5, 1.5, 12, 11));
        Line(p, QPointF(2, 10), Qt::red);
        p.setPen(QPen(QColor(20, 150, 40), 2.5));
        p.drawLine(QPointF(12, 9), QPointF(12, 15.5));
        p.drawLine(QPointF(8.75, 12.25), QPointF(15.25, 12.25));
    });
    icons << Draw([](QPainter& p) {  // well choice: a derrick over the ground
        p.setPen(QPen(QColor(60, 60, 120), 1.2));
        p.drawLine(QPointF(8, 0.5), QPointF(3, 14));
        p.drawLine(QPointF(8, 0.5), QPointF(13, 14));
        for (double y : {5.0, 9.0}) {
            const double half = (y - 0.5) * 5 / 13.5;
            p.drawLine(QPointF(8 - half, y), QPointF(8 + half, y));
        }
        p.drawLine(QPointF(6.3, 5), QPointF(9.5, 9));
        p.setPen(QPen(QColor(130, 90, 40), 2));
        p.drawLine(QPointF(0, 14.5), QPointF(16, 14.5));
    });
    icons << Draw([](QPainter& p) { Folder(p); });  // open form
    icons << Draw([](QPainter& p) { Floppy(p, QRectF(1.5, 1.5, 13, 13), QColor(60, 100, 170)); });  // save form
    icons << Draw([](QPainter& p) {  // save desktop: two windows and a disk
        Window(p, QRectF(0.5, 0.5, 9, 7));
        Window(p, QRectF(3.5, 3.5, 9, 7));
        Floppy(p, QRectF(7.5, 7.5, 8, 8), QColor(60, 100, 170));
    });
    icons << Draw([](QPainter& p) {  // open data set: a folder with a recorded line
        Folder(p);
        Line(p, QPointF(3.5, 12), QColor(200, 60, 0));
    });
    return icons;
}
