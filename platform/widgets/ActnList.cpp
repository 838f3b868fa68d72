#include "ActnList.h"

#include "ClassRegistry.h"

TAction::TAction(QObject* owner) : TComponent(owner) {}

TAction::~TAction() {
    Destroying();
    SetActionList(nullptr);
}

void TAction::SetCaption(const QString& v) {
    FCaption = v;
    emit ActionChanged();
}

void TAction::SetChecked(bool v) {
    if (FChecked == v) return;
    FChecked = v;
    if (v && FGroupIndex > 0 && FActionList)
        for (TAction* other : FActionList->FActions)
            if (other != this && other->FGroupIndex == FGroupIndex) other->SetChecked(false);
    emit ActionChanged();
}

void TAction::SetEnabled(bool v) {
    FEnabled = v;
    emit ActionChanged();
}

void TAction::SetHint(const QString& v) {
    FHint = v;
    emit ActionChanged();
}

void TAction::SetImageIndex(int v) {
    FImageIndex = v;
    emit ActionChanged();
}

void TAction::SetVisible(bool v) {
    FVisible = v;
    emit ActionChanged();
}

void TAction::SetActionList(TActionList* list) {
    if (list == FActionList) return;
    if (FActionList) FActionList->FActions.removeAll(this);
    FActionList = list;
    if (list) list->FActions.append(this);
}

int TAction::Index() const { return FActionList ? int(FActionList->FActions.indexOf(this)) : -1; }

bool TAction::Execute() {
    if (!FEnabled) return false;
    if (FAutoCheck) SetChecked(!FChecked);
    return FOnExecute.Invoke(static_cast<QObject*>(this));
}

TComponentBase* TAction::GetParentComponent() const { return FActionList.data(); }

void TAction::SetParentComponent(TComponentBase* parent) {
    auto* list = parent ? qobject_cast<TActionList*>(parent->Self()) : nullptr;
    if (parent && !list) throw EComponentError(QStringLiteral("An action cannot be put into %1").arg(parent->ClassName()));
    SetActionList(list);
}

TActionList::TActionList(QObject* owner) : TComponent(owner) {}

TActionList::~TActionList() {
    Destroying();
    for (TAction* a : QList<TAction*>(FActions)) a->SetActionList(nullptr);
}

void TActionList::SetImages(TComponent* v) {
    if (v == FImages) return;
    if (FImages) RemoveFreeNotification(FImages);
    FImages = v;
    if (v) FreeNotification(v);
}

void TActionList::GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase* root) {
    for (TAction* a : FActions)
        if (a->Owner() == root) proc(a);
}

void TActionList::Notification(TComponentBase* component, TOperation operation) {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove && FImages && component == AsComponent(FImages)) FImages = nullptr;
}

WK_REGISTER_CLASS(TAction)
WK_REGISTER_CLASS(TActionList)
