#include "FormIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {
constexpr int W = 48, H = 32;

// A window frame with a title strip; the content area is returned.
QRect Frame(QPainter& p, QColor title) {
    p.setPen(QColor(90, 90, 90));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(0.5, 0.5, W - 1, H - 1));
    p.fillRect(QRect(1, 1, W - 2, 5), title);
    return QRect(3, 8, W - 6, H - 11);
}

void Curve(QPainter& p, const QRect& r, QColor color, bool vertical, int phase) {
    QPainterPath path;
    for (int i = 0; i <= 16; ++i) {
        const double t = i / 16.0;
        const double v = 0.5 + 0.35 * std::sin((t * 2.5 + phase * 0.7) * 3.14159);
        const QPointF pt = vertical ? QPointF(r.left() + v * r.width(), r.top() + t * r.height())
                                    : QPointF(r.left() + t * r.width(), r.bottom() - v * r.height());
        if (i == 0) path.moveTo(pt);
        else path.lineTo(pt);
    }
    p.setPen(QPen(color, 1.5));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

void Grid(QPainter& p, const QRect& r) {
    p.setPen(QColor(150, 150, 150));
    for (int y = r.top(); y <= r.bottom(); y += 5) p.drawLine(r.left(), y, r.right(), y);
    p.drawLine(r.left() + r.width() / 2, r.top(), r.left() + r.width() / 2, r.bottom());
    p.setPen(QColor(0, 110, 0));
    p.setFont(QFont(QStringLiteral("DejaVu Sans"), 4));
    for (int y = r.top() + 1; y + 4 <= r.bottom(); y += 5) p.drawText(QPoint(r.left() + r.width() / 2 + 2, y + 4), "12.3");
}

void Tabs(QPainter& p, const QRect& r) {
    p.setPen(QColor(90, 90, 90));
    p.setBrush(QColor(220, 230, 245));
    p.drawRect(QRect(r.left(), r.top(), 12, 4));
    p.setBrush(Qt::white);
    p.drawRect(QRect(r.left() + 12, r.top(), 12, 4));
}

QImage Icon(int kind) {
    QImage img(W, H, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    const bool review = kind == 5 || kind == 6;
    QRect r = Frame(p, review ? QColor(200, 140, 60) : QColor(70, 110, 190));
    const bool depth = kind == 1 || kind == 3 || kind == 6 || kind == 8;
    switch (kind) {
    case 0: case 1: case 5: case 6:
        Curve(p, r, kind == 5 || kind == 6 ? QColor(200, 60, 0) : Qt::red, depth, 0);
        Curve(p, r, Qt::blue, depth, 1);
        break;
    case 2: case 3:
        Grid(p, r);
        break;
    case 4:
        p.setPen(QColor(90, 90, 90));
        p.setBrush(QColor(235, 235, 235));
        p.drawRect(QRect(r.left(), r.top(), r.width() / 2 - 1, r.height()));
        Curve(p, QRect(r.left() + r.width() / 2 + 1, r.top(), r.width() / 2 - 1, r.height()), Qt::red, false, 0);
        break;
    default: {
        Tabs(p, r);
        const QRect chart = r.adjusted(0, 6, 0, 0);
        Curve(p, chart, Qt::red, depth, 0);
        Curve(p, chart, Qt::darkGreen, depth, 2);
        break;
    }
    }
    if (depth) {
        p.setPen(QColor(60, 60, 60));
        p.setFont(QFont(QStringLiteral("DejaVu Sans"), 5, QFont::Bold));
        p.drawText(QRect(W - 14, H - 10, 12, 9), Qt::AlignCenter, QStringLiteral("м"));
    }
    return img;
}
}  // namespace

QList<QImage> MonitoringFormIcons() {
    QList<QImage> icons;
    for (int kind = 0; kind < 9; ++kind) icons << Icon(kind);
    return icons;
}
