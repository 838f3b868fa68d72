#include "ScrollBox.h"

#include "ClassRegistry.h"

#include <QPainter>

WK_REGISTER_CLASS(TScrollBox)

TScrollBox::TScrollBox(QObject* owner) : TControl(owner) { SetBounds(0, 0, 185, 41); }

TScrollBox::~TScrollBox() { DestroyComponent(); }

void TScrollBox::SetBorderStyle(TBorderStyle v) {
    if (v == FBorderStyle) return;
    FBorderStyle = v;
    Realign();
    update();
}

void TScrollBox::AdjustClientRect(QRect& rect) const {
    if (FBorderStyle == bsSingle) rect.adjust(2, 2, -2, -2);
}

void TScrollBox::paintEvent(QPaintEvent* e) {
    TControl::paintEvent(e);
    if (FBorderStyle != bsSingle) return;
    QPainter p(this);
    p.setPen(palette().color(QPalette::Dark));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
    p.setPen(palette().color(QPalette::Light));
    p.drawRect(rect().adjusted(1, 1, -2, -2));
}
