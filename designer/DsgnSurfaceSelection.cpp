#include "DsgnSurfaceSelection.h"

#include "DsgnSurface.h"
#include "Formatting.h"

#include <QPainter>
#include <algorithm>

TFormDesignerLockMode LockModeOf(const TComponentBase* c) {
    return c ? TFormDesignerLockMode::FromBits(quint32(c->DesignInfo) & 0x1FFF) : TFormDesignerLockMode();
}

// --- handles ---------------------------------------------------------------------------

TDSelCtrlItemPoint::TDSelCtrlItemPoint(TDSelCtrlItem* item, TDSelCtrlItemPointPos pos, QWidget* parent)
    : QWidget(parent), FItem(item), FPos(pos) {
    setObjectName(QStringLiteral("DesignHandle"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(5, 5);
}

void TDSelCtrlItemPoint::SetColors(TColor fill, TColor border) {
    if (fill == FFill && border == FBorder) return;
    FFill = fill;
    FBorder = border;
    update();
}

void TDSelCtrlItemPoint::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), ColorToQColor(FBorder));
    p.fillRect(rect().adjusted(1, 1, -1, -1), ColorToQColor(FFill));
}

TDSelCtrlItem::~TDSelCtrlItem() { FreePoints(); }

void TDSelCtrlItem::FreePoints() {
    for (QPointer<TDSelCtrlItemPoint>& p : FPoints) {
        delete p.data();
        p = nullptr;
    }
}

void TDSelCtrlItem::Update(TDSelCtrlItemMode mode, const TCustomFormDesigner& designer, bool active) {
    FMode = mode;
    TControl* c = FControl;
    QWidget* parent = c ? c->parentWidget() : nullptr;
    if (mode == imNone || !parent) {
        for (QPointer<TDSelCtrlItemPoint>& p : FPoints)
            if (p) p->hide();
        return;
    }
    const TFormDesignerLockMode locks = LockModeOf(c);
    const bool noMove = locks.Contains(lmNoMove), noResize = locks.Contains(lmNoResize);
    TColor fill, border;
    if (mode == imSizeable) {
        fill = active ? designer.HandleClr : designer.InactiveHandleClr;
        border = active ? designer.HandleBorderClr : designer.InactiveHandleBorderClr;
    } else {
        fill = designer.MultySelectHandleClr;
        border = designer.MultySelectHandleBorderClr;
    }
    if (noMove) fill = designer.LockedHandleClr;
    if (noResize) border = designer.LockedHandleClr;

    const QRect b = c->BoundsRect();
    const int m = mode == imSizeable ? 2 : 0;
    const int top = b.top() - m, middle = b.top() + b.height() / 2 - 2, bottom = b.top() + b.height() + m - 5;
    const int left = b.left() - m, centre = b.left() + b.width() / 2 - 2, right = b.left() + b.width() + m - 5;
    static constexpr Qt::CursorShape Cursors[8] = {Qt::SizeFDiagCursor, Qt::SizeVerCursor, Qt::SizeBDiagCursor,
                                                   Qt::SizeHorCursor,   Qt::SizeFDiagCursor, Qt::SizeVerCursor,
                                                   Qt::SizeBDiagCursor, Qt::SizeHorCursor};
    const QPoint places[8] = {{left, top},     {centre, top},    {right, top},   {right, middle},
                              {right, bottom}, {centre, bottom}, {left, bottom}, {left, middle}};
    for (int i = 0; i < 8; ++i) {
        QPointer<TDSelCtrlItemPoint>& p = FPoints[i];
        if (!p) p = new TDSelCtrlItemPoint(this, TDSelCtrlItemPointPos(i), parent);
        if (p->parentWidget() != parent) p->setParent(parent);
        p->setGeometry(places[i].x(), places[i].y(), 5, 5);
        p->SetColors(fill, border);
        if (mode == imSizeable && !noResize)
            p->setCursor(Cursors[i]);
        else
            p->unsetCursor();
        const bool corner = i % 2 == 0;
        p->setVisible(mode == imSizeable || corner);
        p->raise();
    }
}

// --- the selection -------------------------------------------------------------------------

TFormDesignerSelectedControls::~TFormDesignerSelectedControls() { FDestroying = true; }

void TFormDesignerSelectedControls::CheckActive() const {
    if (!FDesigner->Active()) throw EFormDesigner(QString::fromLatin1(DesignerMessages::MustBeActive));
}

int TFormDesignerSelectedControls::IndexOf(const TControl* control) const {
    for (int i = 0; i < Count(); ++i)
        if (FItems[i]->Control() == control) return i;
    return -1;
}

TControl* TFormDesignerSelectedControls::DefaultControl() const {
    return FItems.empty() ? nullptr : FItems.back()->Control();
}

QList<TControl*> TFormDesignerSelectedControls::Controls() const {
    QList<TControl*> list;
    for (const auto& item : FItems)
        if (item->Control()) list << item->Control();
    return list;
}

void TFormDesignerSelectedControls::GetCotnrols(QList<TControl*>& list) const { list = Controls(); }

void TFormDesignerSelectedControls::Add(TControl* control) {
    CheckActive();
    if (IndexOf(control) >= 0) return;
    if (!control || !FDesigner->IsDesignable(control))
        throw EFormDesigner(QString::fromLatin1(DesignerMessages::CannotSelect).arg(control ? control->Name() : QString()));
    FItems.push_back(std::make_unique<TDSelCtrlItem>(control));
    Changed();
}

void TFormDesignerSelectedControls::Remove(TControl* control) {
    const int i = IndexOf(control);
    if (i >= 0) Delete(i);
}

void TFormDesignerSelectedControls::Delete(int index) {
    if (!FDestroying) CheckActive();
    FItems.erase(FItems.begin() + index);
    Changed();
}

void TFormDesignerSelectedControls::Clear() {
    if (FItems.empty()) return;
    if (!FDestroying) CheckActive();
    FItems.clear();
    Changed();
}

void TFormDesignerSelectedControls::ClearExcept(TControl* control) {
    CheckActive();
    BeginUpdate();
    for (int i = Count() - 1; i >= 0; --i)
        if (FItems[i]->Control() != control) Delete(i);
    if (control && IndexOf(control) < 0) Add(control);
    EndUpdate();
}

void TFormDesignerSelectedControls::ClearNotChildrensOf(QWidget* parent) {
    CheckActive();
    BeginUpdate();
    for (int i = Count() - 1; i >= 0; --i)
        if (!FItems[i]->Control() || FItems[i]->Control()->parentWidget() != parent) Delete(i);
    EndUpdate();
}

void TFormDesignerSelectedControls::SelectControls(const QList<TControl*>& list) {
    CheckActive();
    BeginUpdate();
    for (int i = Count() - 1; i >= 0; --i)
        if (!list.contains(FItems[i]->Control())) Delete(i);
    for (TControl* c : list) Add(c);
    EndUpdate();
}

void TFormDesignerSelectedControls::SelectAll() {
    CheckActive();
    TControl* root = FRootWinControl;
    if (!root) return;
    QList<TControl*> all{root};
    for (TControl* c : root->findChildren<TControl*>())
        if (FDesigner->IsDesignable(c)) all << c;
    SelectControls(all);
}

void TFormDesignerSelectedControls::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0 && FChanged) Update();
}

void TFormDesignerSelectedControls::Changed() {
    if (FDestroying) return;
    if (FUpdateCount > 0) {
        FChanged = true;
        return;
    }
    Update();
}

void TFormDesignerSelectedControls::Update() {
    FChanged = false;
    // Controls freed meanwhile leave the list.
    std::erase_if(FItems, [](const auto& item) { return !item->Control(); });
    UpdateHandles();
    if (FDesigner->OnChangeSelection) FDesigner->OnChangeSelection();
}

void TFormDesignerSelectedControls::UpdateHandles() {
    for (const auto& item : FItems) {
        TDSelCtrlItemMode mode = Count() == 1 ? imSizeable : imMultySelect;
        if (!FVisible || item->Control() == FRootWinControl) mode = imNone;
        item->Update(mode, *FDesigner, FActive);
    }
}

void TFormDesignerSelectedControls::SetVisible(bool v) {
    if (v == FVisible) return;
    FVisible = v;
    UpdateHandles();
}

void TFormDesignerSelectedControls::SetActive(bool v) {
    if (v == FActive) return;
    FActive = v;
    UpdateHandles();
}

// --- commands on the selection --------------------------------------------------------------

void TFormDesignerSelectedControls::Lock(TFormDesignerLockMode lockMode) {
    CheckActive();
    for (TControl* c : Controls()) FDesigner->LockControl(c, lockMode);
}

void TFormDesignerSelectedControls::AlignToGrid() {
    CheckActive();
    const TFormDesignerGrid* g = FDesigner->Grid();
    for (TControl* c : Controls()) {
        if (c == FRootWinControl || !FDesigner->IsDesignable(c)) continue;
        const int left = int(Round(double(c->Left()) / g->XStep()) * g->XStep());
        const int top = int(Round(double(c->Top()) / g->YStep()) * g->YStep());
        c->SetBounds(left, top, c->Width(), c->Height());
    }
    UpdateHandles();
}

void TFormDesignerSelectedControls::Align(TFormDesignerAlignType horizontal, TFormDesignerAlignType vertical) {
    CheckActive();
    TControl* def = DefaultControl();
    if (!def || def == FRootWinControl) return;
    BeginUpdate();
    ClearNotChildrensOf(def->parentWidget());
    QList<TControl*> controls = Controls();
    Align(horizontal, true, controls);
    Align(vertical, false, controls);
    Changed();
    EndUpdate();
}

void TFormDesignerSelectedControls::Align(TFormDesignerAlignType type, bool horizontal, const QList<TControl*>& controls) {
    // Along one axis: position, extent and how to set the position.
    auto pos = [&](TControl* c) { return horizontal ? c->Left() : c->Top(); };
    auto size = [&](TControl* c) { return horizontal ? c->Width() : c->Height(); };
    auto place = [&](TControl* c, int p) {
        // A move-locked control keeps its place; the others align to it.
        if (LockModeOf(c).Contains(lmNoMove)) return;
        if (horizontal)
            c->SetBounds(p, c->Top(), c->Width(), c->Height());
        else
            c->SetBounds(c->Left(), p, c->Width(), c->Height());
    };
    const int n = int(controls.size());
    switch (type) {
        case atNoChanges: return;
        case atLeftTop: {
            int least = pos(controls[0]);
            for (TControl* c : controls) least = std::min(least, pos(c));
            for (TControl* c : controls) place(c, least);
            return;
        }
        case atRightBottom: {
            int most = pos(controls[0]) + size(controls[0]);
            for (TControl* c : controls) most = std::max(most, pos(c) + size(c));
            for (TControl* c : controls) place(c, most - size(c));
            return;
        }
        case atSpaceEqually: {
            if (n < 3) return;
            QList<TControl*> sorted = controls;
            std::stable_sort(sorted.begin(), sorted.end(), [&](TControl* a, TControl* b) { return pos(a) < pos(b); });
            const int first = pos(sorted.front()), last = pos(sorted.back());
            for (int i = 1; i < n - 1; ++i) place(sorted[i], first + int(Round(double(last - first) * i / (n - 1))));
            return;
        }
        case atCenter: {
            if (n < 2) return;
            const int centre = pos(controls[0]) + size(controls[0]) / 2;
            for (TControl* c : controls) place(c, centre - size(c) / 2);
            return;
        }
        case atCenterInWindow:
            for (TControl* c : controls) {
                const TControl* p = c->ParentControl();
                const int extent = p ? (horizontal ? p->ClientWidth() : p->ClientHeight())
                                     : (horizontal ? c->parentWidget()->width() : c->parentWidget()->height());
                place(c, (extent - size(c)) / 2);
            }
            return;
    }
}

void TFormDesignerSelectedControls::BringToFront() {
    CheckActive();
    for (TControl* c : Controls())
        if (c != FRootWinControl) c->raise();
    UpdateHandles();
}

void TFormDesignerSelectedControls::SendToBack() {
    CheckActive();
    for (TControl* c : Controls())
        if (c != FRootWinControl) c->lower();
    UpdateHandles();
}
