// The menu icons of the chart and grid menus, and the greyed disabled images.
#include "dm_ControlRes.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <functional>

QImage TImageListEx::DisabledImage(int Index) const {
    QImage img = Image(Index).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = line[x];
            // Saturation out, then lighter, so that a disabled item reads as such.
            const int grey = 128 + qGray(c) / 2;
            line[x] = qRgba(grey, grey, grey, qAlpha(c));
        }
    }
    return img;
}

QIcon TImageListEx::Icon(int Index) const {
    if (Index < 0 || Index >= Count()) return {};
    QIcon icon;
    icon.addPixmap(QPixmap::fromImage(Image(Index)), QIcon::Normal);
    icon.addPixmap(QPixmap::fromImage(DisabledImage(Index)), QIcon::Disabled);
    return icon;
}

namespace {
QImage Draw(const std::function<void(QPainter&)>& paint) {
    QImage img(16, 16, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    paint(p);
    return img;
}

void Plus(QPainter& p, QPointF c, QColor colour) {
    p.setPen(QPen(colour, 2.5));
    p.drawLine(c + QPointF(-3.5, 0), c + QPointF(3.5, 0));
    p.drawLine(c + QPointF(0, -3.5), c + QPointF(0, 3.5));
}

void Cross(QPainter& p, QPointF c, double r) {
    p.setPen(QPen(QColor(200, 30, 30), 2.5));
    p.drawLine(c + QPointF(-r, -r), c + QPointF(r, r));
    p.drawLine(c + QPointF(-r, r), c + QPointF(r, -r));
}

void Sheet(QPainter& p) {
    p.setPen(QPen(QColor(90, 90, 90), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2.5, 1.5, 10, 13));
    p.setPen(QPen(QColor(60, 100, 170), 1));
    for (double y : {4.5, 7.5, 10.5}) p.drawLine(QPointF(4.5, y), QPointF(10.5, y));
}

void Curve(QPainter& p, QColor colour) {
    QPainterPath path(QPointF(1, 12));
    path.cubicTo(QPointF(4, 2), QPointF(7, 14), QPointF(10, 5));
    p.setPen(QPen(colour, 1.8));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}
}  // namespace

void FillCommonImages(TCustomImageList& List) {
    List.SetWidth(16);
    List.SetHeight(16);
    const QColor green(30, 150, 50);
    // 0 properties
    List.Add(Draw([](QPainter& p) { Sheet(p); }));
    // 1 add
    List.Add(Draw([&](QPainter& p) { Plus(p, {8, 8}, green); }));
    // 2 delete
    List.Add(Draw([](QPainter& p) { Cross(p, {8, 8}, 4.5); }));
    // 3 add series
    List.Add(Draw([&](QPainter& p) {
        Curve(p, QColor(40, 80, 200));
        Plus(p, {11.5, 11.5}, green);
    }));
    // 4 find minimum and maximum
    List.Add(Draw([](QPainter& p) {
        p.setPen(QPen(QColor(40, 40, 40), 1.5));
        p.drawLine(QPointF(3, 2), QPointF(13, 2));
        p.drawLine(QPointF(3, 14), QPointF(13, 14));
        p.setPen(QPen(QColor(40, 80, 200), 1.5));
        p.drawLine(QPointF(8, 4), QPointF(8, 12));
        p.drawLine(QPointF(8, 4), QPointF(5.5, 6.5));
        p.drawLine(QPointF(8, 4), QPointF(10.5, 6.5));
        p.drawLine(QPointF(8, 12), QPointF(5.5, 9.5));
        p.drawLine(QPointF(8, 12), QPointF(10.5, 9.5));
    }));
    // 5 hide or show scales
    List.Add(Draw([](QPainter& p) {
        p.setPen(QPen(QColor(60, 60, 60), 1));
        p.setBrush(QColor(250, 220, 120));
        p.drawRect(QRectF(5.5, 0.5, 5, 15));
        for (double y : {3.5, 6.5, 9.5, 12.5}) p.drawLine(QPointF(5.5, y), QPointF(8.5, y));
    }));
    // 6 table
    List.Add(Draw([](QPainter& p) {
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 2.5, 13, 11));
        p.drawLine(QPointF(1.5, 6.5), QPointF(14.5, 6.5));
        p.drawLine(QPointF(1.5, 10), QPointF(14.5, 10));
        p.drawLine(QPointF(6.5, 2.5), QPointF(6.5, 13.5));
    }));
    // 7 parameter properties
    List.Add(Draw([](QPainter& p) {
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(QColor(200, 220, 250));
        p.drawRect(QRectF(1.5, 5.5, 13, 5));
        p.setPen(QPen(QColor(40, 40, 40), 1));
        p.drawLine(QPointF(3.5, 8), QPointF(11.5, 8));
    }));
    // 8 clear value labels
    List.Add(Draw([](QPainter& p) {
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(QColor(255, 255, 200));
        p.drawRect(QRectF(1.5, 3.5, 10, 7));
        Cross(p, {11.5, 11.5}, 3);
    }));
    // 9 statistics
    List.Add(Draw([](QPainter& p) {
        QFont f = p.font();
        f.setPixelSize(15);
        f.setBold(true);
        p.setFont(f);
        p.setPen(QColor(40, 80, 200));
        p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QString(QChar(0x03A3)));
    }));
    // 10 comment
    List.Add(Draw([](QPainter& p) {
        QPainterPath path;
        path.addRoundedRect(QRectF(1.5, 1.5, 13, 9), 2, 2);
        path.moveTo(4.5, 10.5);
        path.lineTo(4.5, 14.5);
        path.lineTo(8.5, 10.5);
        p.setPen(QPen(QColor(90, 90, 90), 1));
        p.setBrush(QColor(255, 250, 210));
        p.drawPath(path.simplified());
    }));
}
