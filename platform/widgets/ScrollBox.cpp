#include "ScrollBox.h"

#include "ClassRegistry.h"

#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>
#include <algorithm>

TScrollBox::TScrollBox(QObject* owner)
    : TControl(owner), FHorz(new QScrollBar(Qt::Horizontal, this)), FVert(new QScrollBar(Qt::Vertical, this)) {
    SetBounds(0, 0, 185, 41);
    FHorz->hide();
    FVert->hide();
    connect(FHorz, &QScrollBar::valueChanged, this, [this](int v) { ScrollTo({v, FScrollPos.y()}); });
    connect(FVert, &QScrollBar::valueChanged, this, [this](int v) { ScrollTo({FScrollPos.x(), v}); });
}

void TScrollBox::SetAutoScroll(bool v) {
    FAutoScroll = v;
    if (!v) ScrollTo({0, 0});
    UpdateScrollBars();
}

void TScrollBox::SetBorderStyle(TBorderStyle v) {
    FBorderStyle = v;
    UpdateScrollBars();
    Realign();
    update();
}

QRect TScrollBox::FramedRect() const {
    QRect r(0, 0, std::max(Width(), 0), std::max(Height(), 0));
    if (FBorderStyle == bsSingle) r.adjust(2, 2, -2, -2);
    return r;
}

void TScrollBox::AdjustClientRect(QRect& rect) const {
    rect = FramedRect();
    if (!FVert->isHidden()) rect.setRight(rect.right() - FVert->sizeHint().width());
    if (!FHorz->isHidden()) rect.setBottom(rect.bottom() - FHorz->sizeHint().height());
}

QSize TScrollBox::ContentSize() const {
    const QRect client = FramedRect();
    QRect covered;
    for (TControl* c : Controls())
        if (c->Align() == alNone && c->Visible()) covered |= c->BoundsRect().translated(FScrollPos);
    return {std::max(0, covered.right() + 1 - client.left()), std::max(0, covered.bottom() + 1 - client.top())};
}

void TScrollBox::UpdateScrollBars() {
    if (FUpdating) return;
    FUpdating = true;
    const QSize content = FAutoScroll ? ContentSize() : QSize();
    const QRect framed = FramedRect();
    const int bw = FVert->sizeHint().width(), bh = FHorz->sizeHint().height();
    // A bar that appears takes room from the other direction.
    bool vert = content.height() > framed.height();
    const bool horz = content.width() > framed.width() - (vert ? bw : 0);
    vert = content.height() > framed.height() - (horz ? bh : 0);
    FVert->setVisible(vert);
    FHorz->setVisible(horz);
    const QRect client = ClientRect();
    FVert->setGeometry(framed.right() - bw + 1, framed.top(), bw, client.height());
    FHorz->setGeometry(framed.left(), framed.bottom() - bh + 1, client.width(), bh);
    FVert->setRange(0, std::max(0, content.height() - client.height()));
    FVert->setPageStep(std::max(1, client.height()));
    FHorz->setRange(0, std::max(0, content.width() - client.width()));
    FHorz->setPageStep(std::max(1, client.width()));
    FUpdating = false;
    ScrollTo(FScrollPos);
}

void TScrollBox::ScrollTo(QPoint pos) {
    const QPoint target(std::clamp(pos.x(), 0, FHorz->isHidden() ? 0 : FHorz->maximum()),
                        std::clamp(pos.y(), 0, FVert->isHidden() ? 0 : FVert->maximum()));
    const QPoint delta = FScrollPos - target;
    if (delta.isNull()) return;
    FScrollPos = target;
    for (TControl* c : Controls())
        if (c->Align() == alNone) c->SetBounds(c->Left() + delta.x(), c->Top() + delta.y(), c->Width(), c->Height());
    const QSignalBlocker bh(FHorz), bv(FVert);
    FHorz->setValue(target.x());
    FVert->setValue(target.y());
}

void TScrollBox::Loaded() {
    TControl::Loaded();
    UpdateScrollBars();
}

void TScrollBox::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ColorToQColor(Color()));
    if (FBorderStyle == bsSingle) {
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
        p.setPen(palette().color(QPalette::Shadow));
        p.drawRect(rect().adjusted(1, 1, -2, -2));
    }
}

void TScrollBox::resizeEvent(QResizeEvent* e) {
    TControl::resizeEvent(e);
    if (!IsLoading()) UpdateScrollBars();
}

void TScrollBox::wheelEvent(QWheelEvent* e) {
    if (FVert->isHidden()) return TControl::wheelEvent(e);
    ScrollTo(FScrollPos - QPoint(0, e->angleDelta().y() / 120 * FVert->singleStep() * 3));
    e->accept();
}

WK_REGISTER_CLASS(TScrollBox)
