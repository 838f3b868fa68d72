#include "Swatchbox.h"

#include "UIServices.h"

#include <QMouseEvent>
#include <QPainter>

TColorRect::TColorRect(QWidget* parent) : QWidget(parent) { setCursor(Qt::PointingHandCursor); }

void TColorRect::SetColor(TColor color) {
    if (color == FColor) return;
    FColor = color;
    update();
    emit OnChangeColor(color);
}

void TColorRect::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect().adjusted(1, 1, -1, -1), ColorToQColor(FColor));
    p.setPen(palette().color(QPalette::WindowText));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void TColorRect::mouseReleaseEvent(QMouseEvent* e) {
    if (e->button() != Qt::LeftButton || !rect().contains(e->position().toPoint())) return;
    TColor color = FColor;
    if (UIServices().ColorDialog(color)) SetColor(color);
}
