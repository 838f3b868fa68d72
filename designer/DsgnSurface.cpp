#include "DsgnSurface.h"

#include "ClassRegistry.h"
#include "DsgnSurfaceEngine.h"
#include "DsgnSurfacePanel.h"

#include <QScopedValueRollback>
#include <algorithm>

WK_REGISTER_CLASS(TFormDesigner)

// --- grid ----------------------------------------------------------------------------------------

void TFormDesignerGrid::SetXStep(int v) {
    FXStep = std::max(v, 2);
    emit Changed();
}

void TFormDesignerGrid::SetYStep(int v) {
    FYStep = std::max(v, 2);
    emit Changed();
}

void TFormDesignerGrid::SetVisible(bool v) {
    FVisible = v;
    emit Changed();
}

void TFormDesignerGrid::SetColor(TColor v) {
    FColor = v;
    emit Changed();
}

void TFormDesignerGrid::Assign(const TPersistent* source) {
    auto* g = qobject_cast<const TFormDesignerGrid*>(source);
    if (!g) return TPersistent::Assign(source);
    FXStep = g->FXStep;
    FYStep = g->FYStep;
    FVisible = g->FVisible;
    FColor = g->FColor;
    emit Changed();
}

// --- the designer ------------------------------------------------------------------------------

TCustomFormDesigner::TCustomFormDesigner(QObject* owner)
    : TComponent(owner),
      FGrid(new TFormDesignerGrid(this)),
      FSelectedControls(std::make_unique<TFormDesignerSelectedControls>(this)),
      FClipboardFormat(QString::fromLatin1(DefaultDesignerClipboardFormat)) {
    connect(FGrid, &TPersistent::Changed, this, [this] {
        if (FEng && FEng->Form()) FEng->Form()->update();
    });
}

TCustomFormDesigner::~TCustomFormDesigner() {
    Destroying();
    if (FActive) Deactivate();
    FSelectedControls->SetDestroying();
    Watch(FDesignControl, nullptr);
    Watch(FDesignPanel, nullptr);
    DestroyComponent();
}

void TCustomFormDesigner::CheckActive() const {
    if (!FActive) throw EFormDesigner(QString::fromLatin1(DesignerMessages::MustBeActive));
}

void TCustomFormDesigner::CheckInactive() const {
    if (FActive) throw EFormDesigner(QString::fromLatin1(DesignerMessages::MustBeInactive));
}

void TCustomFormDesigner::Watch(TComponentBase* old, TComponentBase* now) {
    if (old && old != now) RemoveFreeNotification(old);
    if (now) FreeNotification(now);
}

void TCustomFormDesigner::SetDesignControl(TControl* v) {
    CheckInactive();
    Watch(FDesignControl, v);
    FDesignControl = v;
}

void TCustomFormDesigner::SetDesignPanel(TCustomFormDesignPanel* v) {
    CheckInactive();
    Watch(FDesignPanel, v);
    FDesignPanel = v;
}

void TCustomFormDesigner::SetClipboardFormat(const QString& v) {
    if (v == FClipboardFormat) return;
    FClipboardFormat = v;
    FClipbrdFormatRegistered = false;
}

void TCustomFormDesigner::SetActive(bool v) {
    if (v == FActive || FActivating) return;
    if (v)
        Activate();
    else
        Deactivate();
}

void TCustomFormDesigner::Activate() {
    if (!FDesignControl) throw EFormDesigner(QString::fromLatin1(DesignerMessages::NoDesignControl));
    const bool isForm = FDesignControl->isWindow();
    if (!isForm) {
        if (!FDesignPanel) throw EFormDesigner(QString::fromLatin1(DesignerMessages::NoDesignPanel));
        if (FDesignPanel->Designer() && FDesignPanel->Designer() != this)
            throw EFormDesigner(QString::fromLatin1(DesignerMessages::PanelInUse).arg(FDesignPanel->Name()));
    }
    const QScopedValueRollback activating(FActivating, true);
    TControl* root = FDesignControl;
    QWidget* form = root;
    if (!isForm) {
        FDesignPanel->SetDesigner(this);
        FOldRootParent = root->parentWidget();
        FOldRootPos = root->BoundsRect().topLeft();
        form = FDesignPanel->Form();
        root->SetParentWidget(form);
        root->SetBounds(0, 0, root->Width(), root->Height());
    }
    FEng = std::make_unique<TDEng>(this, root, form);
    FActive = true;
    FSelectedControls->SetRootWinControl(root);
    FSelectedControls->ClearExcept(root);
    FSelectedControls->SetVisible(true);
}

void TCustomFormDesigner::Deactivate() {
    const QScopedValueRollback activating(FActivating, true);
    FSelectedControls->SetVisible(false);
    FSelectedControls->Clear();
    FSelectedControls->SetRootWinControl(nullptr);
    FEng.reset();
    FActive = false;
    TControl* root = FDesignControl;
    if (FDesignPanel && FDesignPanel->Designer() == this) {
        if (root && !root->IsDestroying()) {
            root->SetParentWidget(FOldRootParent);
            root->SetBounds(FOldRootPos.x(), FOldRootPos.y(), root->Width(), root->Height());
        }
        FDesignPanel->SetDesigner(nullptr);
    }
    FOldRootParent = nullptr;
}

void TCustomFormDesigner::Notification(TComponentBase* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation != TOperation::opRemove) return;
    if (component == FDesignControl || component == FDesignPanel) {
        if (FActive) Deactivate();
        if (component == FDesignControl) FDesignControl = nullptr;
        if (component == FDesignPanel) FDesignPanel = nullptr;
    }
}

bool TCustomFormDesigner::IsDesignable(const TComponentBase* c) const {
    if (!c || !FDesignControl) return false;
    return c == FDesignControl || (c->IsDesigning() && c->Owner() == FDesignControl);
}

TControl* TCustomFormDesigner::ContainerOf(TControl* control) const {
    for (TControl* c = control; c; c = c->ParentControl()) {
        if (c == FDesignControl || c->AcceptsControls()) return c;
        if (!FDesignControl || !FDesignControl->isAncestorOf(c)) break;
    }
    return FDesignControl;
}

void TCustomFormDesigner::Modified() {
    CheckActive();
    FSelectedControls->UpdateHandles();
}

bool TCustomFormDesigner::DesignControlVisible() const {
    CheckActive();
    return FDesignControl->isVisible();
}

void TCustomFormDesigner::SetDesignControlVisible(bool v) {
    CheckActive();
    FDesignControl->setVisible(v);
}

// --- names and locks ---------------------------------------------------------------------------

bool TCustomFormDesigner::IsUniqueName(const QString& name) const {
    CheckActive();
    return !FDesignControl->FindComponent(name);
}

void TCustomFormDesigner::LockControl(TControl* control, TFormDesignerLockMode lockMode) {
    CheckActive();
    if (!control || control == FDesignControl || !IsDesignable(control)) return;
    control->DesignInfo = int((quint32(control->DesignInfo) & 0xFFFF0000u) | quint32(lockMode.Bits() & 0xFFFF));
    FSelectedControls->UpdateHandles();
}

void TCustomFormDesigner::LockAll(TFormDesignerLockMode lockMode) {
    CheckActive();
    for (int i = 0; i < FDesignControl->ComponentCount(); ++i)
        if (auto* c = qobject_cast<TControl*>(FDesignControl->Components(i)->Self())) LockControl(c, lockMode);
}

TFormDesignerLockMode TCustomFormDesigner::GetLockMode(TControl* control) const {
    return FActive ? LockModeOf(control) : TFormDesignerLockMode();
}

TFormDesignerLockMode TCustomFormDesigner::DeepLockMode(TControl* control) const {
    TFormDesignerLockMode m = LockModeOf(control);
    for (TControl* c : control->Controls()) m = m | LockModeOf(c);
    return m;
}

// --- deleting ----------------------------------------------------------------------------------

void TCustomFormDesigner::DeleteSelectedControls() {
    CheckActive();
    QList<TControl*> selected = FSelectedControls->Controls();
    selected.removeAll(FDesignControl);
    if (selected.isEmpty()) return;
    QList<TControl*> locked;
    for (TControl* c : selected)
        if (DeepLockMode(c).Contains(lmNoDelete)) locked << c;
    if (locked.size() == 1) throw EFormDesigner(QString::fromLatin1(DesignerMessages::ControlLocked).arg(locked[0]->Name()));
    if (locked.size() > 1) throw EFormDesigner(QString::fromLatin1(DesignerMessages::SomeLocked));
    // Only the topmost selected controls are freed: a selected descendant
    // goes with its ancestor and is never freed twice.
    QList<QPointer<TControl>> doomed;
    for (TControl* c : selected)
        if (std::none_of(selected.begin(), selected.end(), [c](TControl* a) { return a != c && a->isAncestorOf(c); }))
            doomed << c;
    FSelectedControls->BeginUpdate();
    for (qsizetype i = doomed.size() - 1; i >= 0; --i) delete doomed[i].data();
    if (FSelectedControls->Count() == 0) FSelectedControls->Add(FDesignControl);
    FSelectedControls->EndUpdate();
    FSelectedControls->Update();
    if (OnModified) OnModified();
}
