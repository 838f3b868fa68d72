#include "Components.h"

#include "ComponentStreaming.h"

#include <QMetaObject>
#include <QMetaProperty>
#include <algorithm>

namespace {
QList<TComponentBase*>& Roots() {
    static QList<TComponentBase*> roots;  // main thread only, like the forms list of the old runtime
    return roots;
}
}  // namespace

bool IsValidIdent(const QString& name) {
    if (name.isEmpty()) return false;
    auto letter = [](QChar c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
    if (!letter(name[0])) return false;
    return std::all_of(name.begin(), name.end(), [&](QChar c) { return letter(c) || (c >= '0' && c <= '9'); });
}

QString InvalidNameMessage(const QString& name) { return QStringLiteral("'%1' is not a valid component name").arg(name); }

QString DuplicateNameMessage(const QString& name) { return QStringLiteral("A component named %1 already exists").arg(name); }

TComponentBase* AsComponent(QObject* object) { return dynamic_cast<TComponentBase*>(object); }
const TComponentBase* AsComponent(const QObject* object) { return dynamic_cast<const TComponentBase*>(object); }

TComponentBase::TComponentBase(QObject* self, QObject* owner) : FSelf(self) {
    if (TComponentBase* o = owner ? AsComponent(owner) : nullptr) o->Insert(this);
}

TComponentBase::~TComponentBase() { DestroyComponent(); }

void TComponentBase::DestroyComponent() {
    if (FDestroyed) return;
    FDestroyed = true;
    Destroying();
    // Holders learn first, while the component is still complete enough to be
    // compared and named.
    while (!FFreeNotifies.isEmpty()) {
        TComponentBase* other = FFreeNotifies.takeLast();
        other->FFreeNotifies.removeAll(this);
        if (other != FOwner) other->Notification(this, TOperation::opRemove);
    }
    DestroyComponents();
    RemoveFromOwner();
    Roots().removeAll(this);
}

void TComponentBase::Destroying() {
    if (FState.Contains(TComponentStateItem::csDestroying)) return;
    FState.Include(TComponentStateItem::csDestroying);
    for (TComponentBase* c : std::as_const(FComponents)) c->Destroying();
}

void TComponentBase::DestroyComponents() {
    while (!FComponents.isEmpty()) {
        TComponentBase* c = FComponents.last();
        Remove(c);
        delete c->Self();
    }
}

void TComponentBase::Insert(TComponentBase* c) {
    FComponents.append(c);
    c->FOwner = this;
    if (IsDesigning() && !c->IsDesigning()) c->SetDesigning(true);
    Notification(c, TOperation::opInsert);
    if (FDesigner) FDesigner->Notification(c, TOperation::opInsert);
}

void TComponentBase::Remove(TComponentBase* c) {
    Notification(c, TOperation::opRemove);
    if (FDesigner) FDesigner->Notification(c, TOperation::opRemove);
    FComponents.removeOne(c);
    c->FOwner = nullptr;
}

void TComponentBase::RemoveFromOwner() {
    if (FOwner) FOwner->Remove(this);
}

void TComponentBase::SetOwner(TComponentBase* owner) {
    if (owner == FOwner) return;
    if (owner && !FName.isEmpty() && owner->FindComponent(FName))
        throw EComponentError(DuplicateNameMessage(FName));
    RemoveFromOwner();
    if (owner) owner->Insert(this);
}

int TComponentBase::ComponentIndex() const { return FOwner ? int(FOwner->FComponents.indexOf(this)) : -1; }

void TComponentBase::SetComponentIndex(int index) {
    if (!FOwner) return;
    const int from = ComponentIndex();
    const int to = std::clamp(index, 0, int(FOwner->FComponents.size()) - 1);
    if (from != to) FOwner->FComponents.move(from, to);
}

void TComponentBase::SetName(const QString& name) {
    if (name == FName) return;
    if (!name.isEmpty() && !IsValidIdent(name)) throw EComponentError(InvalidNameMessage(name));
    if (!name.isEmpty() && FOwner) {
        TComponentBase* other = FOwner->FindComponent(name);
        if (other && other != this) throw EComponentError(DuplicateNameMessage(name));
    }
    if (IsDesigning())
        if (IRootDesigner* d = FindRootDesigner()) d->ValidateRename(this, FName, name);
    FName = name;
    FSelf->setObjectName(name);
}

TComponentBase* TComponentBase::FindComponent(const QString& name) const {
    if (name.isEmpty()) return nullptr;
    for (TComponentBase* c : FComponents)
        if (c->FName.compare(name, Qt::CaseInsensitive) == 0) return c;
    return nullptr;
}

void TComponentBase::SetState(TComponentStateItem item, bool on) {
    if (on)
        FState.Include(item);
    else
        FState.Exclude(item);
}

IRootDesigner* TComponentBase::FindRootDesigner() const {
    for (const TComponentBase* c = this; c; c = c->FOwner)
        if (c->FDesigner) return c->FDesigner;
    return nullptr;
}

void TComponentBase::SetDesigning(bool on, bool withOwned) {
    const bool changed = IsDesigning() != on;
    SetState(TComponentStateItem::csDesigning, on);
    if (changed) DesignStateChanged();
    if (withOwned)
        for (TComponentBase* c : std::as_const(FComponents)) c->SetDesigning(on, true);
}

void TComponentBase::FreeNotification(TComponentBase* target) {
    if (!target || target == this) return;
    if (!target->FFreeNotifies.contains(this)) target->FFreeNotifies.append(this);
    if (!FFreeNotifies.contains(target)) FFreeNotifies.append(target);
}

void TComponentBase::RemoveFreeNotification(TComponentBase* target) {
    if (!target) return;
    target->FFreeNotifies.removeAll(this);
    FFreeNotifies.removeAll(target);
}

void TComponentBase::Loaded() {}

void TComponentBase::Notification(TComponentBase* component, TOperation operation) {
    Q_UNUSED(component);
    Q_UNUSED(operation);
}

void TComponentBase::GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase* root) {
    if (root != this) return;
    for (TComponentBase* c : std::as_const(FComponents))
        if (!c->HasParent()) proc(c);
}

void TComponentBase::RegisterRoot(TComponentBase* root) {
    if (root && !Roots().contains(root)) Roots().append(root);
}

void TComponentBase::UnregisterRoot(TComponentBase* root) { Roots().removeAll(root); }

TComponentBase* TComponentBase::FindGlobalComponent(const QString& path) {
    const QStringList parts = path.split('.');
    TComponentBase* c = nullptr;
    for (TComponentBase* r : std::as_const(Roots()))
        if (r->FName.compare(parts[0], Qt::CaseInsensitive) == 0) {
            c = r;
            break;
        }
    for (int i = 1; c && i < parts.size(); ++i) c = c->FindComponent(parts[i]);
    return c;
}

// ---------------------------------------------------------------------------

TComponent::TComponent(QObject* owner)
    : QObject(owner && !AsComponent(owner) ? owner : nullptr), TComponentBase(this, owner) {}

TComponent::~TComponent() { DestroyComponent(); }

void TComponent::DefineProperties(TFiler& filer) {
    const auto half = [this](bool high) {
        return TStreamValue::Integer(qint16(high ? quint32(DesignInfo) >> 16 : quint32(DesignInfo) & 0xFFFF));
    };
    const auto setHalf = [this](bool high, const TStreamValue& v) {
        if (v.Kind != TStreamValue::vaInt) throw EComponentError(QStringLiteral("Invalid design position"));
        const quint32 word = quint32(v.Int) & 0xFFFF;
        const quint32 info = quint32(DesignInfo);
        DesignInfo = int(high ? (info & 0xFFFF) | (word << 16) : (info & 0xFFFF0000u) | word);
    };
    if (metaObject()->indexOfProperty("Left") < 0)
        filer.DefineProperty(
            QStringLiteral("Left"), [=](const TStreamValue& v) { setHalf(false, v); }, [=] { return half(false); },
            (quint32(DesignInfo) & 0xFFFF) != 0);
    if (metaObject()->indexOfProperty("Top") < 0)
        filer.DefineProperty(
            QStringLiteral("Top"), [=](const TStreamValue& v) { setHalf(true, v); }, [=] { return half(true); },
            (quint32(DesignInfo) >> 16) != 0);
}

// ---------------------------------------------------------------------------

void TPersistent::Assign(const TPersistent* source) {
    throw EConvertError(QStringLiteral("Cannot assign a %1 to a %2")
                            .arg(source ? QString::fromLatin1(source->metaObject()->className()) : QStringLiteral("nil"),
                                 QString::fromLatin1(metaObject()->className())));
}

// ---------------------------------------------------------------------------

TCollectionItem::TCollectionItem(TCollection* collection) { SetCollection(collection); }

TCollectionItem::~TCollectionItem() {
    if (FCollection) FCollection->RemoveItem(this);
}

void TCollectionItem::SetCollection(TCollection* collection) {
    if (collection == FCollection) return;
    if (FCollection) FCollection->RemoveItem(this);
    if (collection) collection->InsertItem(this, collection->Count());
}

int TCollectionItem::Index() const { return FCollection ? int(FCollection->FItems.indexOf(this)) : -1; }

void TCollectionItem::SetIndex(int index) {
    if (FCollection) FCollection->MoveItem(Index(), index);
}

void TCollectionItem::ItemChanged(bool all) {
    if (FCollection) FCollection->ItemChanged(all ? nullptr : this);
    emit Changed();
}

void TCollectionItem::Assign(const TPersistent* source) {
    // Items of the same class copy their published properties.
    if (source && source->metaObject() == metaObject()) {
        const QMetaObject* m = metaObject();
        for (int i = TPersistent::staticMetaObject.propertyCount(); i < m->propertyCount(); ++i) {
            QMetaProperty p = m->property(i);
            if (p.isWritable() && p.isReadable()) p.write(this, p.read(source));
        }
        return;
    }
    TPersistent::Assign(source);
}

TCollection::TCollection(const QMetaObject* itemClass, QObject* owner)
    : TPersistent(owner), FItemClass(itemClass), FOwner(owner) {}

TCollection::~TCollection() {
    FUpdateCount = 1;  // no updates from a collection that is going
    while (!FItems.isEmpty()) delete FItems.last();
}

TCollectionItem* TCollection::Add() { return Insert(Count()); }

TCollectionItem* TCollection::Insert(int index) {
    std::unique_ptr<TCollectionItem> item = NewItem();
    TCollectionItem* raw = item.release();
    InsertItem(raw, std::clamp(index, 0, Count()));
    return raw;
}

std::unique_ptr<TCollectionItem> TCollection::NewItem() const {
    QObject* o = FItemClass->newInstance(Q_ARG(TCollection*, nullptr));
    auto* item = qobject_cast<TCollectionItem*>(o);
    if (!item) {
        delete o;
        throw EComponentError(QStringLiteral("Class %1 has no collection item constructor")
                                  .arg(QString::fromLatin1(FItemClass->className())));
    }
    return std::unique_ptr<TCollectionItem>(item);
}

void TCollection::InsertItem(TCollectionItem* item, int index) {
    item->FCollection = this;
    item->setParent(this);  // the collection owns its items through Qt
    item->FID = FNextID++;
    FItems.insert(index, item);
    Changed();
}

void TCollection::RemoveItem(TCollectionItem* item) {
    FItems.removeOne(item);
    item->FCollection = nullptr;
    item->setParent(nullptr);
    if (FUpdateCount == 0) Update(nullptr);
}

void TCollection::MoveItem(int from, int to) {
    if (from < 0 || from >= Count()) return;
    to = std::clamp(to, 0, Count() - 1);
    if (from == to) return;
    FItems.move(from, to);
    Changed();
}

void TCollection::Delete(int index) { delete FItems.at(index); }

void TCollection::Clear() {
    if (FItems.isEmpty()) return;
    BeginUpdate();
    while (!FItems.isEmpty()) delete FItems.last();
    EndUpdate();
}

TCollectionItem* TCollection::FindItemID(int id) const {
    for (TCollectionItem* i : FItems)
        if (i->FID == id) return i;
    return nullptr;
}

void TCollection::BeginUpdate() { ++FUpdateCount; }

void TCollection::EndUpdate() {
    if (FUpdateCount > 0 && --FUpdateCount == 0) {
        FPendingChange = false;
        Update(nullptr);
        emit TPersistent::Changed();
    }
}

void TCollection::Changed() {
    if (FUpdateCount > 0) {
        FPendingChange = true;
        return;
    }
    Update(nullptr);
    emit TPersistent::Changed();
}

void TCollection::ItemChanged(TCollectionItem* item) {
    if (FUpdateCount > 0) return;
    Update(item);
    emit TPersistent::Changed();
}

void TCollection::Assign(const TPersistent* source) {
    auto* other = qobject_cast<const TCollection*>(source);
    if (!other) {
        TPersistent::Assign(source);
        return;
    }
    BeginUpdate();
    Clear();
    for (TCollectionItem* src : other->FItems) Add()->Assign(src);
    EndUpdate();
}
