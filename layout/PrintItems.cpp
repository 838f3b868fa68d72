#include "PrintItems.h"

#include "ClassRegistry.h"
#include "ComponentStreaming.h"
#include "Formatting.h"
#include "PrintDevices.h"
#include "PrintDocument.h"
#include "TreeView.h"

#include <QPainter>
#include <QWidget>
#include <cmath>

namespace Plotmere {

TPrintItem::TPrintItem(QObject* owner) : TComponent(owner), FID(QUuid::createUuid()) {}

TPrintItem::TPrintItem(QObject* owner, const TFloatPoint& position) : TPrintItem(owner) {
    const QPoint rel = AbsoluteToRelativePos(FloatPointToPoint(position));
    FRelPos = rel;
}

TPrintItem::~TPrintItem() {
    LeaveSelection();
    DestroyComponent();
}

void TPrintItem::SetLeft(int value) { FRelPos.setX(value); }

void TPrintItem::SetTop(int value) { FRelPos.setY(value); }

TPrintItemState TPrintItem::StoredState() const { return FState & ~TPrintItemState(psChanged | psEditing); }

void TPrintItem::SetStoredState(TPrintItemState value) {
    FState = (value & ~TPrintItemState(psChanged | psEditing)) | (FState & TPrintItemState(psChanged | psEditing));
}

QString TPrintItem::GetStrID() const { return FID.toString(QUuid::WithBraces).toUpper(); }

void TPrintItem::SetStrID(const QString& text) {
    const QUuid id(text.trimmed());
    if (id.isNull() && text.trimmed() != QUuid().toString(QUuid::WithBraces))
        throw EConvertError(QStringLiteral("'%1' is not a valid GUID value").arg(text));
    FID = id;
}

TPrintDocument* TPrintItem::GetDocument() const {
    for (const TComponentBase* c = this; c; c = c->Owner())
        if (auto* doc = qobject_cast<TPrintDocument*>(c->Self())) return doc;
    return nullptr;
}

TPrintItem* TPrintItem::GetParent() const { return Owner() ? qobject_cast<TPrintItem*>(Owner()->Self()) : nullptr; }

bool TPrintItem::IsChildOf(const TPrintItem* item) const {
    if (!item) return false;
    for (TPrintItem* p = GetParent(); p; p = p->GetParent())
        if (p == item) return true;
    return false;
}

void TPrintItem::SetParent(TPrintItem* item) {
    if (item) SetParentComponent(item);
}

QList<TPrintItem*> TPrintItem::Items() const {
    QList<TPrintItem*> list;
    for (int i = 0; i < ComponentCount(); ++i)
        if (auto* item = qobject_cast<TPrintItem*>(Components(i)->Self())) list << item;
    return list;
}

int TPrintItem::ItemIndex() const {
    TPrintItem* parent = GetParent();
    return parent ? int(parent->Items().indexOf(const_cast<TPrintItem*>(this))) : -1;
}

void TPrintItem::SetItemIndex(int index) {
    TPrintItem* parent = GetParent();
    if (!parent) return;
    const QList<TPrintItem*> siblings = parent->Items();
    if (siblings.isEmpty()) return;
    const int target = std::clamp(index, 0, int(siblings.size()) - 1);
    SetComponentIndex(siblings.at(target)->ComponentIndex());
}

QPoint TPrintItem::AbsoluteToRelativePos(const QPoint& point) const {
    TPrintItem* parent = GetParent();
    return parent ? point - parent->FBounds.topLeft() : point;
}

QPoint TPrintItem::GetAbsPos() const {
    QPoint p = FRelPos;
    for (TPrintItem* parent = GetParent(); parent; parent = parent->GetParent()) p += parent->FRelPos;
    return p;
}

void TPrintItem::SetAbsLeft(int value) {
    TPrintItem* parent = GetParent();
    SetLeft(parent ? value - parent->GetAbsLeft() : value);
}

void TPrintItem::SetAbsTop(int value) {
    TPrintItem* parent = GetParent();
    SetTop(parent ? value - parent->GetAbsTop() : value);
}

QRect TPrintItem::GetBounds() const { return QRect(GetAbsPos(), QSize(FWidth, FHeight)); }

QRect TPrintItem::GetPrjRect(const TRenderDevice& device) const { return device.PrjRect(GetBounds()); }

void TPrintItem::InvalidateItemRect(QWidget* handle, const TScreenDevice& device, const QRect& clipRect) const {
    if (!handle) return;
    const QRect r = device.GetAbsPrjRect(FBounds.left(), FBounds.top(), FBounds.left() + FBounds.width(),
                                         FBounds.top() + FBounds.height()) &
                    clipRect;
    if (!r.isEmpty()) handle->update(r);
    for (TPrintItem* child : Items()) child->InvalidateItemRect(handle, device, clipRect);
}

TPrintItem* TPrintItem::FindItem(const QUuid& id) {
    if (FID == id) return this;
    for (TPrintItem* child : Items())
        if (TPrintItem* found = child->FindItem(id)) return found;
    return nullptr;
}

void TPrintItem::Enum(const std::function<void(TPrintItem*)>& proc) {
    for (TPrintItem* child : Items()) child->Enum(proc);
    proc(this);
}

QString TPrintItem::GetAsText() { return ComponentToString(this); }

bool TPrintItem::GetVLink() const {
    if (ComponentState().Contains(TComponentStateItem::csWriting)) return HasState(psVLink);
    if (!HasState(psVLink)) return false;
    TPrintItem* parent = GetParent();
    return parent && ItemIndex() > 0;
}

bool TPrintItem::GetAutosize() const { return HasState(psAutosize) && !Items().isEmpty(); }

void TPrintItem::NotifyItems(TPrintItem* item, const QString& text) {
    for (TPrintItem* child : Items()) child->NotifyItems(item, text);
}

void TPrintItem::OnDetachView(TPrintView* view) {
    for (TPrintItem* child : Items()) child->OnDetachView(view);
}

int TPrintItem::SupportsClipboardFormat(const QList<int>&) const { return -1; }

void TPrintItem::Validate() {
    SetStateFlag(psChanged, false);
    for (TPrintItem* child : Items()) child->Validate();
}

bool TPrintItem::AcceptItem(TPrintItem*) const { return false; }

bool TPrintItem::AcceptParent(TPrintItem*) const { return true; }

void TPrintItem::BeginInplaceEdit(TPrintView*) {
    SetStateFlag(psEditing, true);
    if (TPrintDocument* doc = GetDocument()) doc->SetStateFlag(psEditing, true);
}

void TPrintItem::BuildTree(TTreeView& tree, QTreeWidgetItem* node) {
    for (TPrintItem* child : Items()) child->BuildTree(tree, node);
}

void TPrintItem::Clear() {
    const QList<TPrintItem*> children = Items();
    for (auto it = children.rbegin(); it != children.rend(); ++it) delete *it;
}

bool TPrintItem::DoUserAction(TPrintView* view, TPrintEditActions actions, int x, int y, Qt::KeyboardModifiers shift) {
    if (!HasState(psGetChildAction)) return false;
    bool done = false;
    const QList<TPrintItem*> children = Items();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        TPrintItem* child = *it;
        if ((child->GetUserAction(view, x, y, shift) & actions).Empty()) continue;
        if (child->DoUserAction(view, actions, x, y, shift)) {
            done = true;
            if (!shift.testFlag(Qt::ShiftModifier)) break;
        }
    }
    return done;
}

void TPrintItem::DrawTreeLine(TTreeView&, const QRect&) {}

void TPrintItem::EndInplaceEdit() {
    SetStateFlag(psEditing, false);
    TPrintDocument* doc = GetDocument();
    if (doc && doc != this) doc->SetStateFlag(psEditing, false);
    for (TPrintItem* child : Items()) child->EndInplaceEdit();
}

TPrintEditActions TPrintItem::GetUserAction(TPrintView* view, int x, int y, Qt::KeyboardModifiers shift) {
    if (!HasState(psGetChildAction)) return {};
    const QList<TPrintItem*> children = Items();
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        const TPrintEditActions a = (*it)->GetUserAction(view, x, y, shift);
        if (!a.Empty()) return a;
    }
    return {};
}

void TPrintItem::Invalidate() {
    SetStateFlag(psChanged, true);
    for (TPrintItem* child : Items()) child->Invalidate();
}

bool TPrintItem::IsPointInItem(const TFloatPoint& point) const {
    const QPoint p = FloatPointToPoint(point);
    return p.x() >= FBounds.left() && p.x() < FBounds.left() + FBounds.width() && p.y() >= FBounds.top() &&
           p.y() < FBounds.top() + FBounds.height();
}

void TPrintItem::Prepare(TRenderDevice& device) {
    if (GetVLink()) {
        const QList<TPrintItem*> siblings = GetParent()->Items();
        const TPrintItem* previous = siblings.at(ItemIndex() - 1);
        SetTop(previous->Top() + previous->Height());
    }
    TPrintDocument* doc = GetDocument();
    if (Selected() && doc && !doc->IsDesigner()) Select(false);
    int right = 0, bottom = 0;
    for (TPrintItem* child : Items()) {
        child->Prepare(device);
        right = std::max(right, child->GetRight());
        bottom = std::max(bottom, child->GetBottom());
    }
    if (GetAutosize()) {
        SetWidth(right);
        SetHeight(bottom);
    }
    FBounds = GetBounds();
}

void TPrintItem::Paste(TPrintItem* rootItem, QStringList& pasted) {
    SetParent(rootItem);
    pasted << GetStrID();
}

void TPrintItem::Render(TRenderDevice& device) {
    for (TPrintItem* child : Items()) child->Render(device);
    RenderSelection(device);
}

void TPrintItem::RenderSelection(TRenderDevice& device) {
    if (!Selected() || !device.Canvas()) return;
    QPainter& canvas = *device.Canvas();
    canvas.save();
    canvas.setBrush(Qt::NoBrush);
    canvas.setPen(QPen(ColorToQColor(clFuchsia), 2));
    device.Rectangle(FBounds.left(), FBounds.top(), FBounds.left() + FBounds.width(), FBounds.top() + FBounds.height());
    canvas.restore();
}

void TPrintItem::Select(bool state) {
    if (!state)
        for (TPrintItem* child : Items()) child->Select(false);
    if (Selected() == state) return;
    SetStateFlag(psSelected, state);
    if (TPrintDocument* doc = GetDocument()) {
        if (state) doc->AddToSelection(this);
        else doc->RemoveFromSelection(this);
    }
    Invalidate();
}

bool TPrintItem::Setup(TRenderDevice*) { return false; }

void TPrintItem::TryConvertTextToObjects(const QString&, QList<TPrintItem*>&) {}

TPrintItem* TPrintItem::HitTest(const TFloatPoint& point) {
    if (!HasState(psNoChildEdit)) {
        const QList<TPrintItem*> children = Items();
        for (auto it = children.rbegin(); it != children.rend(); ++it)
            if (TPrintItem* hit = (*it)->HitTest(point)) return hit;
    }
    return IsPointInItem(point) ? this : nullptr;
}

void TPrintItem::GetChildren(const std::function<void(TComponentBase*)>& proc, TComponentBase*) {
    for (TPrintItem* child : Items()) proc(child);
}

TComponentBase* TPrintItem::GetParentComponent() const { return Owner(); }

void TPrintItem::LeaveSelection() {
    TPrintDocument* doc = GetDocument();
    if (!doc) return;
    Enum([doc](TPrintItem* item) { doc->RemoveFromSelection(item); });
}

void TPrintItem::JoinSelection() {
    TPrintDocument* doc = GetDocument();
    if (!doc) return;
    Enum([doc](TPrintItem* item) {
        if (item->Selected() && item != doc) doc->AddToSelection(item);
    });
}

void TPrintItem::SetParentComponent(TComponentBase* parent) {
    if (!parent || parent == Owner()) return;
    LeaveSelection();
    SetOwner(parent);
    JoinSelection();
    if (IsLoading()) return;
    if (TPrintDocument* doc = GetDocument()) doc->Changed(dcContents);
}

QString ComponentToString(TComponentBase* component) { return WriteComponentToText(component); }

TComponentBase* StringToComponent(const QString& text, TComponentBase* root) {
    const TStreamObject tree = ParseComponentText(text);
    const QStringList unknown = ResolveHeadingClasses(tree);
    if (!unknown.isEmpty()) throw EClassNotFound(QStringLiteral("Class %1 not found").arg(unknown.first()));
    return ReadComponentTree(tree, root);
}

std::unique_ptr<TPrintItem> ItemFromText(const QString& text) {
    std::unique_ptr<TComponentBase> component(StringToComponent(text, nullptr));
    auto* item = qobject_cast<TPrintItem*>(component->Self());
    if (!item) throw EReadError(QStringLiteral("%1 is not a print item").arg(component->ClassName()));
    component.release();
    return std::unique_ptr<TPrintItem>(item);
}

void TPrintItemManager::GetClassGroup(const QMetaObject* baseClass, QList<const TClassInfo*>& itemClasses,
                                      bool includeRoot) const {
    for (const QString& name : RegisteredClassNames()) {
        const TClassInfo* info = FindClass(name);
        if (!info || !info->Meta || !info->InheritsFrom(baseClass)) continue;
        if (info->Meta == baseClass && !includeRoot) continue;
        if (!itemClasses.contains(info)) itemClasses << info;
    }
}

TPrintItemManager& PrintItemManager() {
    static TPrintItemManager manager;
    return manager;
}

void TPrintDBItem::RegisterParams(const QString&, const QString&, QStringList&) {}

WK_REGISTER_CLASS(TPrintItem)
WK_REGISTER_CLASS(TPrintDBItem)

}  // namespace Plotmere
