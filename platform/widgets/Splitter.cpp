#include "Splitter.h"

#include <QMouseEvent>
#include <QPainter>

TSplitter::TSplitter(QObject* owner) : TGraphicControl(owner) {
    SetAlign(alLeft);
    SetBounds(0, 0, 3, 100);
    setCursor(Qt::SplitHCursor);
}

void TSplitter::SetBeveled(bool v) {
    FBeveled = v;
    update();
}

TControl* TSplitter::FindNeighbour() const {
    TControl* p = ParentControl();
    if (!p) return nullptr;
    // The point just outside the splitter on its neighbour's side.
    QPoint pt(Left(), Top());
    switch (Align()) {
        case alLeft: pt.rx() -= 1; break;
        case alRight: pt.rx() += Width(); break;
        case alTop: pt.ry() -= 1; break;
        case alBottom: pt.ry() += Height(); break;
        default: return nullptr;
    }
    for (TControl* c : p->Controls()) {
        if (c == this || !c->Visible() || !c->Enabled() || c->Align() != Align()) continue;
        QRect r = c->BoundsRect();
        // A collapsed neighbour still counts as touching.
        if (r.width() == 0) r.setWidth(1), r.translate(Align() == alLeft ? -1 : 0, 0);
        if (r.height() == 0) r.setHeight(1), r.translate(0, Align() == alTop ? -1 : 0);
        if (r.contains(pt)) return c;
    }
    return nullptr;
}

void TSplitter::mousePressEvent(QMouseEvent* e) {
    TGraphicControl::mousePressEvent(e);
    if (e->button() != Qt::LeftButton || IsDesigning()) return;
    FNeighbour = FindNeighbour();
    TControl* p = ParentControl();
    if (!FNeighbour || !p) return;
    FDownPos = mapToParent(e->position().toPoint());
    FOldSize = Horizontal() ? FNeighbour->Width() : FNeighbour->Height();
    // Room the neighbour can grow into: what the other aligned controls leave.
    FMaxSize = (Horizontal() ? p->ClientWidth() : p->ClientHeight()) - FMinSize;
    for (TControl* c : p->Controls()) {
        if (!c->Visible()) continue;
        if (Horizontal() && (c->Align() == alLeft || c->Align() == alRight)) FMaxSize -= c->Width();
        if (!Horizontal() && (c->Align() == alTop || c->Align() == alBottom)) FMaxSize -= c->Height();
    }
    FMaxSize += FOldSize;
    FPendingSize = -1;
}

int TSplitter::NewSizeFor(QPoint parentPos) {
    const int delta = Horizontal() ? parentPos.x() - FDownPos.x() : parentPos.y() - FDownPos.y();
    const int wanted = (Align() == alLeft || Align() == alTop) ? FOldSize + delta : FOldSize - delta;
    int size = std::clamp(wanted, FMinSize, std::max(FMinSize, FMaxSize));
    bool accept = true;
    FOnCanResize.Invoke(static_cast<QObject*>(this), &size, &accept);
    if (!accept) return -1;
    // Dragged below the minimum: snap shut.
    if (FAutoSnap && wanted < FMinSize) size = 0;
    return size;
}

void TSplitter::enterEvent(QEnterEvent* e) {
    TGraphicControl::enterEvent(e);
    setCursor(Horizontal() ? Qt::SplitHCursor : Qt::SplitVCursor);
}

void TSplitter::mouseMoveEvent(QMouseEvent* e) {
    TGraphicControl::mouseMoveEvent(e);
    if (!FNeighbour || !(e->buttons() & Qt::LeftButton)) return;
    const int size = NewSizeFor(mapToParent(e->position().toPoint()));
    if (size < 0) return;
    if (FResizeStyle == rsUpdate)
        Apply(size);
    else
        FPendingSize = size;
}

void TSplitter::mouseReleaseEvent(QMouseEvent* e) {
    TGraphicControl::mouseReleaseEvent(e);
    if (!FNeighbour || e->button() != Qt::LeftButton) return;
    if (FResizeStyle != rsUpdate) {
        const int size = NewSizeFor(mapToParent(e->position().toPoint()));
        if (size >= 0) Apply(size);
    }
    FNeighbour = nullptr;
    FOnMoved.Invoke(static_cast<QObject*>(this));
}

void TSplitter::Apply(int newSize) {
    TControl* n = FNeighbour;
    TControl* p = ParentControl();
    if (!n || !p) return;
    p->DisableAlign();
    switch (Align()) {
        case alLeft: n->SetWidth(newSize); break;
        case alTop: n->SetHeight(newSize); break;
        // Growing to the right or bottom keeps the far edge where it is.
        case alRight: n->SetBounds(n->Left() + n->Width() - newSize, n->Top(), newSize, n->Height()); break;
        case alBottom: n->SetBounds(n->Left(), n->Top() + n->Height() - newSize, n->Width(), newSize); break;
        default: break;
    }
    p->EnableAlign();
}

void TSplitter::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), ColorToQColor(Color()));
    if (FBeveled) {
        painter.setPen(ColorToQColor(clBtnHighlight));
        painter.drawLine(0, 0, Horizontal() ? 0 : width() - 1, Horizontal() ? height() - 1 : 0);
        painter.setPen(ColorToQColor(clBtnShadow));
        if (Horizontal())
            painter.drawLine(width() - 1, 0, width() - 1, height() - 1);
        else
            painter.drawLine(0, height() - 1, width() - 1, height() - 1);
    }
}
