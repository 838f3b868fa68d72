#include "ComCtrls.h"

#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>

TTabSheet::TTabSheet(QObject* owner) : TControl(owner) { SetAlign(alClient); }

TTabSheet::~TTabSheet() { SetPageControl(nullptr); }

void TTabSheet::SetCaption(const QString& v) {
    FCaption = v;
    if (FPageControl) FPageControl->update();
}

void TTabSheet::SetPageControl(TPageControl* pageControl) {
    if (pageControl == FPageControl) return;
    if (FPageControl) FPageControl->RemovePage(this);
    FPageControl = pageControl;
    if (pageControl) {
        SetParentWidget(pageControl);
        pageControl->InsertPage(this);
    }
}

int TTabSheet::PageIndex() const { return FPageControl ? int(FPageControl->FPages.indexOf(const_cast<TTabSheet*>(this))) : -1; }

void TTabSheet::SetParentComponent(TComponentBase* parent) {
    auto* pc = parent ? qobject_cast<TPageControl*>(parent->Self()) : nullptr;
    if (pc)
        SetPageControl(pc);
    else
        TControl::SetParentComponent(parent);
}

TPageControl::TPageControl(QObject* owner) : TControl(owner) { SetBounds(0, 0, 289, 193); }

void TPageControl::SetTabPosition(TTabPosition v) {
    FTabPosition = v;
    Realign();
    update();
}

void TPageControl::InsertPage(TTabSheet* page) {
    FPages.append(page);
    if (FActive < 0) FActive = 0;
    ShowActive();
}

void TPageControl::RemovePage(TTabSheet* page) {
    const int i = int(FPages.indexOf(page));
    if (i < 0) return;
    FPages.removeAt(i);
    if (FActive >= PageCount()) FActive = PageCount() - 1;
    ShowActive();
}

void TPageControl::SetActivePageIndex(int index) {
    if (index < 0 || index >= PageCount()) return;
    FActive = index;
    ShowActive();
}

void TPageControl::MovePage(TTabSheet* page, int index) {
    const int from = int(FPages.indexOf(page));
    if (from < 0 || index < 0 || index >= PageCount()) return;
    TTabSheet* active = ActivePage();
    FPages.move(from, index);
    FActive = int(FPages.indexOf(active));
    update();
}

void TPageControl::ShowActive() {
    for (int i = 0; i < PageCount(); ++i) FPages[i]->SetVisible(i == FActive);
    Realign();
    update();
}

int TPageControl::TabExtent() const { return QFontMetrics(Font()->ToQFont()).height() + 6; }

QRect TPageControl::TabRect(int index) const {
    const QFontMetrics fm(Font()->ToQFont());
    const bool horizontal = FTabPosition == tpTop || FTabPosition == tpBottom;
    int offset = 2;
    for (int i = 0; i < index && i < PageCount(); ++i)
        offset += horizontal ? fm.horizontalAdvance(FPages[i]->Caption()) + 12 : TabExtent();
    if (index < 0 || index >= PageCount()) return {};
    const int length = horizontal ? fm.horizontalAdvance(FPages[index]->Caption()) + 12 : TabExtent();
    const int e = horizontal ? TabExtent() : std::max(60, fm.horizontalAdvance(FPages[index]->Caption()) + 12);
    switch (FTabPosition) {
        case tpTop: return QRect(offset, 0, length, e);
        case tpBottom: return QRect(offset, height() - e, length, e);
        case tpLeft: return QRect(0, offset, e, length);
        case tpRight: return QRect(width() - e, offset, e, length);
    }
    return {};
}

void TPageControl::AdjustClientRect(QRect& rect) const {
    const QFontMetrics fm(Font()->ToQFont());
    int side = 0;
    for (const TTabSheet* p : FPages) side = std::max(side, std::max(60, fm.horizontalAdvance(p->Caption()) + 12));
    switch (FTabPosition) {
        case tpTop: rect.adjust(2, TabExtent() + 2, -2, -2); break;
        case tpBottom: rect.adjust(2, 2, -2, -TabExtent() - 2); break;
        case tpLeft: rect.adjust(side + 2, 2, -2, -2); break;
        case tpRight: rect.adjust(2, 2, -side - 2, -2); break;
    }
}

void TPageControl::GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase* root) {
    for (TTabSheet* p : FPages)
        if (p->Owner() == root) proc(p);
    for (TControl* c : Controls())
        if (c->Owner() == root && !FPages.contains(qobject_cast<TTabSheet*>(c))) proc(c);
    if (root == this) TComponentBase::GetChildren(proc, root);
}

void TPageControl::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ColorToQColor(Color()));
    p.setPen(palette().color(QPalette::Mid));
    p.drawRect(ClientRect().adjusted(-1, -1, 0, 0));
    p.setFont(Font()->ToQFont());
    for (int i = 0; i < PageCount(); ++i) {
        const QRect r = TabRect(i);
        p.fillRect(r, i == FActive ? palette().color(QPalette::Window) : palette().color(QPalette::Button));
        p.setPen(palette().color(QPalette::Mid));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.setPen(ColorToQColor(Font()->Color()));
        p.drawText(r, Qt::AlignCenter, FPages[i]->Caption());
    }
}

void TPageControl::mousePressEvent(QMouseEvent* e) {
    TControl::mousePressEvent(e);
    for (int i = 0; i < PageCount(); ++i)
        if (TabRect(i).contains(e->position().toPoint())) SetActivePageIndex(i);
}
