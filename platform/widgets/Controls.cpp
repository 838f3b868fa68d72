#include "Controls.h"

#include "ComponentStreaming.h"

#include <QResizeEvent>
#include <algorithm>
#include <cstring>

TControl::TControl(QObject* owner)
    : QWidget(nullptr), TComponentBase(this, owner), FFont(new TFont(this)) {
    connect(FFont, &TPersistent::Changed, this, [this] { OwnFontChanged(); });
    setFont(FFont->ToQFont());
    ApplyColor();
}

TControl::~TControl() {
    DestroyComponent();
    // Leaving the parent lets it lay out the rest without this control.
    if (TControl* p = ParentControl()) {
        FVisible = false;
        setParent(nullptr);
        if (!p->IsDestroying()) p->Realign();
    }
}

// --- geometry and layout --------------------------------------------------------

void TControl::SetBounds(int left, int top, int width, int height) {
    const QRect r(left, top, width, height);
    if (r == FBounds) return;
    const QSize oldSize = FBounds.size();
    FBounds = r;
    FSettingGeometry = true;
    setGeometry(left, top, std::max(width, 0), std::max(height, 0));
    FSettingGeometry = false;
    if (oldSize != r.size()) SizeChanged(oldSize);
    RequestParentAlign();
}

void TControl::SizeChanged(QSize oldSize) {
    if (IsLoading()) return;
    AnchorChildren(oldSize, FBounds.size());
    Realign();
}

QRect TControl::ClientRect() const {
    QRect r(0, 0, std::max(Width(), 0), std::max(Height(), 0));
    AdjustClientRect(r);
    return r;
}

// The sides an alignment sticks a control to.
TControl::TAnchors TControl::AlignAnchors(TAlign align) {
    switch (align) {
        case alTop: return TAnchors(akLeft | akTop | akRight);
        case alBottom: return TAnchors(akLeft | akRight | akBottom);
        case alLeft: return TAnchors(akLeft | akTop | akBottom);
        case alRight: return TAnchors(akRight | akTop | akBottom);
        case alClient: return TAnchors(akLeft | akTop | akRight | akBottom);
        default: return TAnchors(akLeft | akTop);
    }
}

void TControl::SetAlign(TAlign v) {
    if (v == FAlign) return;
    FAlign = v;
    // An aligned control follows the sides it is stuck to, as stored forms
    // expect: a text leaves these anchors out, and a stored Anchors line
    // comes after the Align line.
    FAnchors = AlignAnchors(v);
    if (TControl* p = ParentControl()) p->Realign();
}

bool TControl::IsAnchorsStored() const { return FAnchors != AlignAnchors(FAlign); }

void TControl::RequestParentAlign() {
    if (FAlign == alNone) return;
    if (TControl* p = ParentControl()) p->Realign();
}

void TControl::EnableAlign() {
    if (FAlignDisabled > 0 && --FAlignDisabled == 0) Realign();
}

void TControl::Realign() {
    if (FAlignDisabled > 0 || FAligning || IsLoading() || IsDestroying()) return;
    AlignControls();
}

QList<TControl*> TControl::Controls() const {
    QList<TControl*> list;
    for (QObject* o : children())
        if (auto* c = qobject_cast<TControl*>(o)) list << c;
    return list;
}

void TControl::AlignControls() {
    FAligning = true;
    QRect r = ClientRect();
    const QList<TControl*> all = Controls();
    auto takesPart = [&](TControl* c, TAlign a) { return c->FAlign == a && (c->FVisible || c->IsDesigning()); };
    // Stable: ties keep creation order.
    auto before = [](TAlign a) {
        return [a](const TControl* x, const TControl* y) {
            switch (a) {
                case alTop: return x->Top() < y->Top();
                case alBottom: return x->Top() + x->Height() > y->Top() + y->Height();
                case alLeft: return x->Left() < y->Left();
                case alRight: return x->Left() + x->Width() > y->Left() + y->Width();
                default: return false;
            }
        };
    };
    for (TAlign a : {alTop, alBottom, alLeft, alRight, alClient}) {
        QList<TControl*> list;
        for (TControl* c : all)
            if (takesPart(c, a)) list << c;
        std::stable_sort(list.begin(), list.end(), before(a));
        for (TControl* c : list) {
            // Right and bottom edges of r are exclusive here: x + width.
            const int rl = r.left(), rt = r.top(), rw = std::max(r.width(), 0), rh = std::max(r.height(), 0);
            switch (a) {
                case alTop:
                    c->SetBounds(rl, rt, rw, c->Height());
                    r.setTop(rt + c->Height());
                    break;
                case alBottom:
                    c->SetBounds(rl, rt + rh - c->Height(), rw, c->Height());
                    r.setHeight(rh - c->Height());
                    break;
                case alLeft:
                    c->SetBounds(rl, rt, c->Width(), rh);
                    r.setLeft(rl + c->Width());
                    break;
                case alRight:
                    c->SetBounds(rl + rw - c->Width(), rt, c->Width(), rh);
                    r.setWidth(rw - c->Width());
                    break;
                default:
                    c->SetBounds(rl, rt, rw, rh);
                    break;
            }
        }
    }
    FAligning = false;
}

void TControl::AnchorChildren(QSize oldSize, QSize newSize) {
    const int dx = newSize.width() - oldSize.width();
    const int dy = newSize.height() - oldSize.height();
    if (dx == 0 && dy == 0) return;
    for (TControl* c : Controls()) {
        if (c->FAlign != alNone) continue;
        QRect b = c->FBounds;
        const TAnchors a = c->FAnchors;
        if (a.testFlag(akLeft) && a.testFlag(akRight))
            b.setWidth(b.width() + dx);
        else if (a.testFlag(akRight))
            b.translate(dx, 0);
        else if (!a.testFlag(akLeft))
            b.moveLeft(b.left() + dx / 2);
        if (a.testFlag(akTop) && a.testFlag(akBottom))
            b.setHeight(b.height() + dy);
        else if (a.testFlag(akBottom))
            b.translate(0, dy);
        else if (!a.testFlag(akTop))
            b.moveTop(b.top() + dy / 2);
        c->SetBounds(b.x(), b.y(), b.width(), b.height());
    }
}

void TControl::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    // Resized from outside (a window frame, a Qt layout).
    if (FSettingGeometry || e->size() == FBounds.size()) return;
    const QSize oldSize = FBounds.size();
    FBounds.setSize(e->size());
    SizeChanged(oldSize);
}

// --- parent and children ---------------------------------------------------------

TControl* TControl::ParentControl() const { return qobject_cast<TControl*>(parentWidget()); }

void TControl::SetParentWidget(QWidget* parent) {
    if (parent == parentWidget()) return;
    TControl* old = ParentControl();
    setParent(parent);
    FSettingGeometry = true;
    setGeometry(FBounds.x(), FBounds.y(), std::max(FBounds.width(), 0), std::max(FBounds.height(), 0));
    FSettingGeometry = false;
    if (FParentFont) ParentFontChanged();
    if (FParentColor) ParentColorChanged();
    if (FParentShowHint) ParentShowHintChanged();
    ApplyVisibility();
    if (old) old->Realign();
    if (TControl* p = ParentControl()) p->Realign();
}

void TControl::GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase* root) {
    for (TControl* c : Controls())
        if (c->Owner() == root) proc(c);
    if (root == this) TComponentBase::GetChildren(proc, root);
}

TComponentBase* TControl::GetParentComponent() const { return ParentControl(); }

void TControl::SetParentComponent(TComponentBase* parent) {
    QWidget* w = parent ? qobject_cast<QWidget*>(parent->Self()) : nullptr;
    if (parent && !w) throw EComponentError(QStringLiteral("A control cannot be put into %1").arg(parent->ClassName()));
    SetParentWidget(w);
}

void TControl::DefineProperties(TFiler& filer) {
    // Newer designers' bounds, and properties of the old controls that mean
    // nothing here (tab order, 3-D look, drag and dock settings, size
    // constraints ...): kept as read and written back. A class that
    // publishes one of them itself reads it as its own.
    static const char* const kept[] = {
        "ExplicitLeft", "ExplicitTop", "ExplicitWidth", "ExplicitHeight", "DesignSize", "BiDiMode", "Constraints.MaxHeight",
        "Constraints.MaxWidth", "Constraints.MinHeight", "Constraints.MinWidth", "Ctl3D", "Cursor", "DockSite",
        "DoubleBuffered", "DragCursor", "DragKind", "DragMode", "HelpContext", "ParentBiDiMode", "ParentCtl3D",
        "ParentDoubleBuffered", "ScrollBars", "TabOrder", "TabStop", "UseDockManager"};
    for (const char* name : kept) {
        if (!strchr(name, '.') && metaObject()->indexOfProperty(name) >= 0) continue;
        const QString n = QLatin1String(name);
        filer.DefineProperty(
            n, [this, n](const TStreamValue& v) { FKeptDefined[n] = v; }, [this, n] { return FKeptDefined.at(n); },
            FKeptDefined.count(n) > 0);
    }
}

void TControl::Loaded() {
    TComponentBase::Loaded();
    Realign();
    RequestParentAlign();
}

void TControl::Notification(TComponentBase* component, TOperation operation) {
    TComponentBase::Notification(component, operation);
    if (operation == TOperation::opRemove && FPopupMenu && component == AsComponent(FPopupMenu)) FPopupMenu = nullptr;
}

// --- appearance -----------------------------------------------------------------

void TControl::ApplyVisibility() {
    // A control without a parent is a window; only its owner decides to show it.
    if (!parentWidget()) return;
    QWidget::setVisible(FVisible || IsDesigning());
}

void TControl::SetVisible(bool v) {
    if (v == FVisible) return;
    FVisible = v;
    ApplyVisibility();
    if (TControl* p = ParentControl(); p && FAlign != alNone) p->Realign();
}

void TControl::SetEnabled(bool v) {
    FEnabled = v;
    QWidget::setEnabled(v);
}

void TControl::ApplyColor() {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, ColorToQColor(FColor));
    setPalette(pal);
    ColorChanged();
    for (TControl* c : Controls())
        if (c->FParentColor) c->ParentColorChanged();
}

void TControl::SetColor(TColor v) {
    FParentColor = false;
    if (v == FColor) return;
    FColor = v;
    ApplyColor();
}

void TControl::SetParentColor(bool v) {
    FParentColor = v;
    if (v) ParentColorChanged();
}

void TControl::ParentColorChanged() {
    TControl* p = ParentControl();
    if (!p || p->FColor == FColor) return;
    FColor = p->FColor;
    ApplyColor();
}

void TControl::OwnFontChanged() {
    if (!FTakingParentFont) FParentFont = false;
    setFont(FFont->ToQFont());
    FontChanged();
    for (TControl* c : Controls())
        if (c->FParentFont) c->ParentFontChanged();
}

void TControl::SetParentFont(bool v) {
    FParentFont = v;
    if (v) ParentFontChanged();
}

void TControl::ParentFontChanged() {
    TControl* p = ParentControl();
    if (!p) return;
    FTakingParentFont = true;
    FFont->Assign(p->FFont);
    FTakingParentFont = false;
}

void TControl::SetHint(const QString& v) {
    FHint = v;
    ApplyToolTip();
}

void TControl::SetShowHint(bool v) {
    FParentShowHint = false;
    if (v == FShowHint) return;
    FShowHint = v;
    ApplyToolTip();
    for (TControl* c : Controls())
        if (c->FParentShowHint) c->ParentShowHintChanged();
}

void TControl::SetParentShowHint(bool v) {
    FParentShowHint = v;
    if (v) ParentShowHintChanged();
}

void TControl::ParentShowHintChanged() {
    TControl* p = ParentControl();
    if (!p || p->FShowHint == FShowHint) return;
    FShowHint = p->FShowHint;
    ApplyToolTip();
    for (TControl* c : Controls())
        if (c->FParentShowHint) c->ParentShowHintChanged();
}

void TControl::ApplyToolTip() { setToolTip(FShowHint ? FHint : QString()); }

void TControl::SetPopupMenu(TComponent* v) {
    if (v == FPopupMenu) return;
    if (FPopupMenu) RemoveFreeNotification(FPopupMenu);
    FPopupMenu = v;
    if (v) FreeNotification(v);
}

bool TControl::event(QEvent* e) {
    if (TWKMessage::IsWKMessage(e)) {
        auto* m = static_cast<TWKMessage*>(e);
        if (WKMessage(*m)) m->Handled = true;
        return true;
    }
    return QWidget::event(e);
}
