#include "PrintActions.h"

#include "ClassRegistry.h"
#include "ClipboardFormats.h"
#include "ComponentStreaming.h"
#include "UIServices.h"

#include <QScopeGuard>
#include <QSet>
#include <algorithm>
#include <atomic>

namespace Plotmere {

namespace {
quint64 NextActionSerial() {
    static std::atomic<quint64> serial{0};
    return ++serial;
}

// Takes the action out of an owning list.
std::unique_ptr<TPrintAction> TakeAction(std::vector<std::unique_ptr<TPrintAction>>& list, TPrintAction* action) {
    for (auto it = list.begin(); it != list.end(); ++it)
        if (it->get() == action) {
            std::unique_ptr<TPrintAction> taken = std::move(*it);
            list.erase(it);
            return taken;
        }
    return nullptr;
}
}  // namespace

TPrintAction::TPrintAction(TPrintEditActions actions, TPrintDocument* document)
    : FDocument(document), FActions(actions), FSerial(NextActionSerial()) {}

TPrintAction::~TPrintAction() = default;

void TPrintAction::Cancel() {
    if (FDocument->FCurAction == this) FDocument->FCurAction = nullptr;
    delete this;
}

void TPrintAction::Finish() {
    TPrintDocument& doc = *FDocument;
    if (doc.FCurAction == this) doc.FCurAction = nullptr;
    doc.FDoneActions.push_back(std::unique_ptr<TPrintAction>(this));
    doc.FUndoneActions.clear();
    doc.FChanged = true;
}

void TPrintAction::MouseDown(TPrintView*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {}

void TPrintAction::MouseMove(TPrintView*, Qt::KeyboardModifiers, int, int) {}

void TPrintAction::MouseUp(TPrintView*, Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
    if (button == Qt::LeftButton) Finish();
}

void TPrintAction::Undo() {
    TPrintDocument& doc = *FDocument;
    if (auto taken = TakeAction(doc.FDoneActions, this)) doc.FUndoneActions.push_back(std::move(taken));
}

void TPrintAction::Redo() {
    TPrintDocument& doc = *FDocument;
    if (auto taken = TakeAction(doc.FUndoneActions, this)) doc.FDoneActions.push_back(std::move(taken));
    doc.FChanged = true;
}

namespace {
QUuid ParentID(const TPrintItem* item) {
    const TPrintItem* parent = item->GetParent();
    return parent ? parent->ID() : QUuid();
}

// Puts the item found by id at an absolute position (top first, then left).
void MoveItemTo(TPrintDocument* doc, const QUuid& id, const QPoint& pos) {
    TPrintItem* item = doc->FindItem(id);
    if (!item) return;
    item->SetAbsTop(pos.y());
    item->SetAbsLeft(pos.x());
}

// True when an ancestor of the item is among ids.
bool HasAncestorIn(const TPrintItem* item, const QSet<QUuid>& ids) {
    for (const TPrintItem* p = item->GetParent(); p; p = p->GetParent())
        if (ids.contains(p->ID())) return true;
    return false;
}

QRect ScreenRect(const TPrintView* view, const TPrintItem* item) {
    const QRect b = item->Bounds();
    return view->Device().GetAbsPrjRect(b.left(), b.top(), b.left() + b.width(), b.top() + b.height());
}

// Changes of the document tree as one step: a single Changed at the end,
// also when a step fails.
class TDocumentBatch {
public:
    TDocumentBatch(TPrintDocument* doc, TDocChangeEventType type) : FDoc(doc), FType(type), FWasLocked(doc->Locked()) {
        FDoc->Lock();
    }
    ~TDocumentBatch() {
        if (FWasLocked) return;
        FDoc->Unlock();
        FDoc->Changed(FType);
    }
    TDocumentBatch(const TDocumentBatch&) = delete;
    TDocumentBatch& operator=(const TDocumentBatch&) = delete;

private:
    TPrintDocument* FDoc;
    TDocChangeEventType FType;
    bool FWasLocked;
};

// Puts a new item into parent at index (the end for -1).
void InsertItem(std::unique_ptr<TPrintItem> item, TPrintItem* parent, int index) {
    TPrintItem* raw = item.get();
    raw->SetParent(parent);
    item.release();  // the parent owns it now
    if (index >= 0) raw->SetItemIndex(index);
}

const QString ItemSeparator = QStringLiteral("\r\nяя");

// True when every class the text names is a registered item class that is
// not a document; raises when the text does not parse.
bool NamesOnlyItemClasses(const QString& text) {
    const TStreamObject tree = ParseComponentText(text);
    if (!ResolveHeadingClasses(tree).isEmpty()) throw EClassNotFound(QStringLiteral("Unknown class in pasted text"));
    for (const QString& name : HeadingClassNames(tree)) {
        const TClassInfo* info = FindClass(name);
        if (!info->InheritsFrom(&TPrintItem::staticMetaObject) || info->InheritsFrom(&TPrintDocument::staticMetaObject))
            return false;
    }
    return true;
}
}  // namespace

// --- dragging -------------------------------------------------------------------------

void TPrintDragAction::MouseDown(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
    if (button != Qt::LeftButton || !CanStart()) {
        if (FView) FView->HideFrames();
        Cancel();
        return;
    }
    FView = view;
    FPrevPos = QPoint(x, y);
    FOffset = QPoint();
    ToggleFrames();
}

void TPrintDragAction::MouseMove(TPrintView*, Qt::KeyboardModifiers, int x, int y) {
    if (!FView) return;
    ToggleFrames();
    FOffset = FPrevPos - QPoint(x, y);
    ToggleFrames();
}

void TPrintDragAction::MouseUp(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers shift, int x, int y) {
    if (FView) FView->HideFrames();
    if (FOffset.isNull()) {
        Cancel();
        return;
    }
    TPrintAction::MouseUp(view, button, shift, x, y);
}

// --- move -----------------------------------------------------------------------------

TPrintMoveAction::TPrintMoveAction(TPrintEditActions actions, TPrintDocument* document)
    : TPrintDragAction(actions, document) {
    for (TPrintItem* item : document->Selection()) FItems << item->ID();
}

TPrintMoveAction::TPrintMoveAction(int dx, int dy, TRenderDevice* device, TPrintDocument* document)
    : TPrintMoveAction(TPrintEditActions{saMove}, document) {
    FOffset = QPoint(dx, dy);
    FDevice = device;
    FPixOfs = false;
}

QRect TPrintMoveAction::MovedRect(const TPrintItem* item) const {
    QRect r = ScreenRect(FView, item);
    // A linked item follows its previous sibling vertically unless that one moves too.
    bool horizontalOnly = false;
    if (item->GetVLink()) {
        const QList<TPrintItem*> siblings = item->GetParent()->Items();
        horizontalOnly = !FItems.contains(siblings.at(item->ItemIndex() - 1)->ID());
    }
    return r.translated(-FOffset.x(), horizontalOnly ? 0 : -FOffset.y());
}

void TPrintMoveAction::ToggleFrames() {
    if (!FView) return;
    for (const QUuid& id : FItems)
        if (const TPrintItem* item = FDocument->FindItem(id))
            FView->Device().ShowFrame(MovedRect(item), FView->ClientArea());
    FView->FramesChanged();
}

void TPrintMoveAction::Finish() {
    TPrintAction::Finish();
    FEntries.clear();
    for (const QUuid& id : FItems) {
        const TPrintItem* item = FDocument->FindItem(id);
        if (!item || (FPixOfs && !FView)) continue;
        TItemIDPos e;
        e.ID = id;
        e.ParentID = ParentID(item);
        e.Position = item->GetAbsPos();
        e.NewPos = FPixOfs ? FView->Device().PrjBack(MovedRect(item).topLeft()) : item->Bounds().topLeft() + FOffset;
        FEntries.push_back(e);
    }
    MoveAll(true);
}

void TPrintMoveAction::MoveAll(bool toNew) {
    TDocumentBatch batch(FDocument, dcDisposition);
    QSet<QUuid> moved;
    for (const TItemIDPos& e : FEntries) moved.insert(e.ID);
    // Children travel with a moved ancestor; moving them too would count twice.
    std::vector<const TItemIDPos*> own;
    for (const TItemIDPos& e : FEntries)
        if (const TPrintItem* item = FDocument->FindItem(e.ID); item && !HasAncestorIn(item, moved)) own.push_back(&e);
    for (const TItemIDPos* e : own) MoveItemTo(FDocument, e->ID, toNew ? e->NewPos : e->Position);
}

void TPrintMoveAction::Undo() {
    TPrintAction::Undo();
    MoveAll(false);
}

void TPrintMoveAction::Redo() {
    TPrintAction::Redo();
    MoveAll(true);
}

// --- size -----------------------------------------------------------------------------

TPrintSizeAction::TPrintSizeAction(TPrintEditActions actions, TPrintDocument* document)
    : TPrintDragAction(actions & TPrintEditActions{saLeft, saTop, saRight, saBottom}, document) {
    if (!document->Selection().isEmpty()) FItem = document->Selection().first()->ID();
}

QRect TPrintSizeAction::NewScreenBounds() const {
    const TPrintItem* item = FDocument->FindItem(FItem);
    if (!item || !FView) return {};
    const QRect r = ScreenRect(FView, item);
    int l = r.left(), t = r.top(), rr = r.left() + r.width(), b = r.top() + r.height();
    if (FActions.Contains(saTop)) t -= FOffset.y();
    if (FActions.Contains(saBottom)) b -= FOffset.y();
    if (FActions.Contains(saLeft)) l -= FOffset.x();
    if (FActions.Contains(saRight)) rr -= FOffset.x();
    // An edge dragged onto or past the opposite one stops 2 pixels from it.
    if (FActions.Contains(saTop) && t >= b) t = b - 2;
    if (FActions.Contains(saBottom) && b <= t) b = t + 2;
    if (FActions.Contains(saLeft) && l >= rr) l = rr - 2;
    if (FActions.Contains(saRight) && rr <= l) rr = l + 2;
    return QRect(l, t, rr - l, b - t);
}

void TPrintSizeAction::ToggleFrames() {
    if (!FView) return;
    FView->Device().ShowFrame(NewScreenBounds(), FView->ClientArea());
    FView->FramesChanged();
}

void TPrintSizeAction::Finish() {
    const QRect screen = NewScreenBounds();
    TPrintAction::Finish();
    const TPrintItem* item = FDocument->FindItem(FItem);
    if (!item || !FView) return;
    const QPoint lt = FView->Device().PrjBack(screen.topLeft());
    const QPoint rb = FView->Device().PrjBack(QPoint(screen.left() + screen.width(), screen.top() + screen.height()));
    FEntry.ID = FItem;
    FEntry.Bounds = item->GetBounds();
    FEntry.NewBounds = QRect(lt, QSize(rb.x() - lt.x(), rb.y() - lt.y()));
    Apply(FEntry.NewBounds);
}

void TPrintSizeAction::Apply(const QRect& bounds) {
    TDocumentBatch batch(FDocument, dcDisposition);
    TPrintItem* item = FDocument->FindItem(FEntry.ID);
    if (!item) return;
    item->SetAbsTop(bounds.top());
    item->SetAbsLeft(bounds.left());
    item->SetWidth(std::max(bounds.width(), 1));
    item->SetHeight(std::max(bounds.height(), 1));
}

void TPrintSizeAction::Undo() {
    TPrintAction::Undo();
    Apply(FEntry.Bounds);
}

void TPrintSizeAction::Redo() {
    TPrintAction::Redo();
    Apply(FEntry.NewBounds);
}

// --- delete ---------------------------------------------------------------------------

TPrintDeleteAction::TPrintDeleteAction(TPrintDocument* document, TPrintItem* item)
    : TPrintAction(TPrintEditActions{saDelete}, document) {
    // The selection changes while items go: work on a copy. An item whose
    // ancestor is deleted too goes with it and is recorded only there.
    QList<TPrintItem*> items = item ? QList<TPrintItem*>{item} : document->Selection();
    QSet<QUuid> ids;
    for (const TPrintItem* i : items) ids.insert(i->ID());
    for (TPrintItem* i : items) {
        if (i == document || HasAncestorIn(i, ids)) continue;
        FEntries.push_back({i->ID(), ParentID(i), i->ItemIndex(), i->GetAsText()});
    }
}

void TPrintDeleteAction::FreeAll() {
    TDocumentBatch batch(FDocument, dcContents);
    for (const TIDObjectText& e : FEntries) delete FDocument->FindItem(e.ID);
}

void TPrintDeleteAction::Finish() {
    TPrintAction::Finish();
    FreeAll();
}

void TPrintDeleteAction::Redo() {
    TPrintAction::Redo();
    FreeAll();
}

void TPrintDeleteAction::Undo() {
    TPrintAction::Undo();
    TDocumentBatch batch(FDocument, dcContents);
    // Lower places first, so that every sibling gets its old place back.
    std::vector<const TIDObjectText*> order;
    for (const TIDObjectText& e : FEntries) order.push_back(&e);
    std::stable_sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->Index < b->Index; });
    for (const TIDObjectText* e : order) {
        try {
            TPrintItem* parent = FDocument->FindItem(e->ParentID);
            if (!parent || FDocument->FindItem(e->ID)) continue;
            InsertItem(ItemFromText(e->Text), parent, e->Index);
        } catch (const std::exception&) {
            // An entry that cannot come back is skipped; the others still do.
        }
    }
}

// --- place ----------------------------------------------------------------------------

TPrintPlaceItemAction::TPrintPlaceItemAction(TPrintDocument* document, TPrintItem* item)
    : TPrintAction(TPrintEditActions{saAdd}, document), FID(item->ID()), FParentID(ParentID(item)) {}

void TPrintPlaceItemAction::Finish() {
    TPrintAction::Finish();
    if (TPrintItem* item = FDocument->FindItem(FID)) FText = item->GetAsText();
    FDocument->Changed(dcContents);
}

void TPrintPlaceItemAction::Undo() {
    TPrintAction::Undo();
    TDocumentBatch batch(FDocument, dcContents);
    delete FDocument->FindItem(FID);
}

void TPrintPlaceItemAction::Redo() {
    TPrintAction::Redo();
    TDocumentBatch batch(FDocument, dcContents);
    TPrintItem* parent = FDocument->FindItem(FParentID);
    if (!parent || FDocument->FindItem(FID)) return;
    try {
        InsertItem(ItemFromText(FText), parent, -1);
    } catch (const std::exception&) {
        // Nothing to re-create: the text no longer reads.
    }
}

// --- setup ----------------------------------------------------------------------------

TPrintSetupAction::TPrintSetupAction(TPrintDocument* document, TPrintItem* item, const QString& oldText)
    : TPrintAction(TPrintEditActions{saSetup}, document) {
    FEntry.ID = item->ID();
    FEntry.OldText = oldText;
    FEntry.NewText = item->GetAsText();
}

void TPrintSetupAction::Apply(const QString& text) {
    if (FEntry.ID == FDocument->ID()) {
        FDocument->ReadFromText(text);
        FDocument->Changed(dcContents);
        return;
    }
    TDocumentBatch batch(FDocument, dcContents);
    TPrintItem* old = FDocument->FindItem(FEntry.ID);
    if (!old) return;
    TPrintItem* parent = old->GetParent();
    const int index = old->ItemIndex();
    std::unique_ptr<TPrintItem> item = ItemFromText(text);
    delete old;
    InsertItem(std::move(item), parent, index);
}

void TPrintSetupAction::Undo() {
    TPrintAction::Undo();
    Apply(FEntry.OldText);
}

void TPrintSetupAction::Redo() {
    TPrintAction::Redo();
    Apply(FEntry.NewText);
}

// --- align ----------------------------------------------------------------------------

TPrintAlignAction::TPrintAlignAction(TPrintDocument* document, TPrintAlignStyle style)
    : TPrintAction(TPrintEditActions{saMove}, document) {
    const QList<TPrintItem*>& selection = document->Selection();
    if (selection.isEmpty()) return;
    const TPrintItem* first = selection.first();
    const QRect fb = first->Bounds();
    const QSizeF page = document->PageSizeMM();
    int r = 0;
    switch (style) {
    case asLeft: r = first->GetAbsLeft(); break;
    case asHorCenter: r = first->GetAbsLeft() + first->Width() / 2; break;
    case asRight: r = fb.left() + fb.width(); break;
    case asHorScrCenter: r = int(Round(page.width() / 2)); break;
    case asTop: r = first->GetAbsTop(); break;
    case asVertCenter: r = first->GetAbsTop() + first->Height() / 2; break;
    case asBottom: r = fb.top() + fb.height(); break;
    case asVertScrCenter: r = int(Round(page.height() / 2)); break;
    }
    for (const TPrintItem* item : selection) {
        TItemIDPos e;
        e.ID = item->ID();
        e.ParentID = ParentID(item);
        e.Position = item->Bounds().topLeft();
        e.NewPos = e.Position;
        switch (style) {
        case asLeft: e.NewPos.setX(r); break;
        case asHorCenter: case asHorScrCenter: e.NewPos.setX(r - item->Width() / 2); break;
        case asRight: e.NewPos.setX(r - item->Width()); break;
        case asTop: e.NewPos.setY(r); break;
        case asVertCenter: case asVertScrCenter: e.NewPos.setY(r - item->Height() / 2); break;
        case asBottom: e.NewPos.setY(r - item->Height()); break;
        }
        FEntries.push_back(e);
    }
}

void TPrintAlignAction::MoveAll(bool toNew) {
    TDocumentBatch batch(FDocument, dcDisposition);
    for (const TItemIDPos& e : FEntries) MoveItemTo(FDocument, e.ID, toNew ? e.NewPos : e.Position);
}

void TPrintAlignAction::Finish() {
    TPrintAction::Finish();
    MoveAll(true);
}

void TPrintAlignAction::Undo() {
    TPrintAction::Undo();
    MoveAll(false);
}

void TPrintAlignAction::Redo() {
    TPrintAction::Redo();
    MoveAll(true);
}

// --- order ----------------------------------------------------------------------------

TPrintOrderAction::TPrintOrderAction(TPrintDocument* document, bool toFront)
    : TPrintAction(TPrintEditActions{saMove}, document), FToFront(toFront) {
    for (const TPrintItem* item : document->Selection()) FItems << item->ID();
}

void TPrintOrderAction::Reorder() {
    TDocumentBatch batch(FDocument, dcOrder);
    FEntries.clear();
    for (const QUuid& id : FItems) {
        TPrintItem* item = FDocument->FindItem(id);
        if (!item || !item->GetParent()) continue;
        // Each index just before the item moves, so that undo, going
        // backwards, restores every one of them.
        FEntries.push_back({id, item->ItemIndex()});
        item->SetItemIndex(FToFront ? item->GetParent()->ItemCount() - 1 : 0);
    }
}

void TPrintOrderAction::Finish() {
    TPrintAction::Finish();
    Reorder();
}

void TPrintOrderAction::Redo() {
    TPrintAction::Redo();
    Reorder();
}

void TPrintOrderAction::Undo() {
    TPrintAction::Undo();
    TDocumentBatch batch(FDocument, dcOrder);
    for (auto it = FEntries.rbegin(); it != FEntries.rend(); ++it)
        if (TPrintItem* item = FDocument->FindItem(it->ID)) item->SetItemIndex(it->OldOrder);
}

// --- paste ----------------------------------------------------------------------------

QStringList SplitClipboardItems(const QString& text) {
    QStringList items;
    qsizetype start = 0;
    for (qsizetype at = text.indexOf(ItemSeparator); at >= 0; at = text.indexOf(ItemSeparator, start)) {
        items << text.mid(start, at + 2 - start);
        start = at + ItemSeparator.size();
    }
    return items;
}

TPrintPasteAction::TPrintPasteAction(TPrintDocument* document) : TPrintAction(TPrintEditActions{saAdd}, document) {
    IClipboard& clipboard = UIServices().Clipboard();
    QStringList texts;
    const QString text = clipboard.HasFormat(QStringLiteral("text/plain")) ? clipboard.AsText() : QString();
    if (text.contains(ItemSeparator)) {
        texts = SplitClipboardItems(text);
    } else if (!text.isEmpty()) {
        QList<TPrintItem*> objects;
        GetPasteParent()->TryConvertTextToObjects(text, objects);
        for (TPrintItem* o : objects) {
            texts << o->GetAsText();
            delete o;
        }
    }
    if (texts.isEmpty()) {
        const QList<int> formats = ClipboardFormatNumbers(clipboard);
        QList<const TClassInfo*> classes;
        PrintItemManager().GetClassGroup(&TPrintItem::staticMetaObject, classes, false);
        const TClassInfo* best = nullptr;
        int bestPriority = -1;
        for (const TClassInfo* cls : classes) {
            if (!cls->Create || cls->InheritsFrom(&TPrintDocument::staticMetaObject)) continue;
            const std::unique_ptr<QObject> probe(cls->Create(nullptr));
            const int priority = static_cast<TPrintItem*>(probe.get())->SupportsClipboardFormat(formats);
            if (priority >= 0 && (bestPriority < 0 || priority < bestPriority)) {
                best = cls;
                bestPriority = priority;
            }
        }
        if (best) {
            const std::unique_ptr<QObject> created(best->Create(nullptr));
            auto* item = static_cast<TPrintItem*>(created.get());
            item->CreateFromClipboard();
            texts << item->GetAsText();
        }
    }
    // Text that does not read, or names unknown classes, pastes nothing at
    // all; entries of classes that are no items (a document) are refused.
    try {
        for (const QString& t : texts)
            if (NamesOnlyItemClasses(t)) FEntries.push_back({QUuid(), t, QRect()});
    } catch (const std::exception&) {
        FEntries.clear();
    }
}

TPrintItem* TPrintPasteAction::GetPasteParent() {
    const QList<TPrintItem*>& selection = FDocument->Selection();
    if (!selection.isEmpty()) {
        if (selection.first()->HasState(TPrintItem::psAcceptItems)) return selection.first();
    } else if (TPrintItem* node = FDocument->TreeSelectedItem(); node && node->HasState(TPrintItem::psAcceptItems)) {
        return node;
    }
    return FDocument;
}

void TPrintPasteAction::PasteItem(int, TPrintItem* item, TPrintItem* parent) { item->Paste(parent, FPasted); }

void TPrintPasteAction::DoPaste() {
    TDocumentBatch batch(FDocument, dcContents);
    FPasted.clear();
    TPrintItem* parent = GetPasteParent();
    for (int i = 0; i < int(FEntries.size()); ++i) {
        TIDObjectTextPos& entry = FEntries[i];
        std::unique_ptr<TPrintItem> item;
        try {
            item = ItemFromText(entry.Text);
        } catch (const std::exception&) {
            entry.ID = QUuid();
            continue;
        }
        if (!parent->AcceptItem(item.get()) || !item->AcceptParent(parent)) {
            entry.ID = QUuid();
            continue;
        }
        // Copies come in unselected: the selection, and with it the target of
        // the next paste, stays what the user chose.
        item->Enum([this](TPrintItem* i) {
            if (FDocument->FindItem(i->ID())) i->SetID(QUuid::createUuid());
            i->SetStateFlag(TPrintItem::psSelected, false);
        });
        entry.ID = item->ID();
        TPrintItem* raw = item.release();
        // Redo re-creates exactly these items, with the GUIDs given here; an
        // item that merged into another one is gone after the paste.
        const QString text = raw->GetAsText();
        const QPointer<TPrintItem> alive(raw);
        PasteItem(i, raw, parent);  // the parent owns it now
        entry.Text = alive ? raw->GetAsText() : text;
    }
}

void TPrintPasteAction::Finish() {
    TPrintAction::Finish();
    DoPaste();
}

void TPrintPasteAction::Redo() {
    TPrintAction::Redo();
    DoPaste();
}

void TPrintPasteAction::Undo() {
    TPrintAction::Undo();
    TDocumentBatch batch(FDocument, dcContents);
    for (const QString& id : FPasted) delete FDocument->FindItem(QUuid(id));
}

TPrintPasteAtAction::TPrintPasteAtAction(TPrintDocument* document) : TPrintPasteAction(document) {}

void TPrintPasteAtAction::ToggleFrames() {
    if (!FView) return;
    for (const TIDObjectTextPos& e : FEntries) FView->Device().ShowFrame(e.Bounds.translated(FTarget), FView->ClientArea());
    FView->FramesChanged();
}

void TPrintPasteAtAction::MouseDown(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
    FUnderPointer = view->GetItemAt(QPoint(x, y));
    if (button != Qt::LeftButton) {
        if (FView) FView->HideFrames();
        Cancel();
        return;
    }
    FView = view;
    QPoint origin;
    for (int i = 0; i < int(FEntries.size()); ++i) {
        TIDObjectTextPos& e = FEntries[i];
        try {
            const std::unique_ptr<TPrintItem> temp = ItemFromText(e.Text);
            const QSize pos = view->Device().MMToPixels(temp->Left(), temp->Top());
            e.Bounds = QRect(QPoint(pos.width(), pos.height()), view->Device().MMToPixels(temp->Width(), temp->Height()));
        } catch (const std::exception&) {
            e.Bounds = QRect();
        }
        if (i == 0) origin = e.Bounds.topLeft();
        e.Bounds.translate(-origin);
    }
    FTarget = QPoint(x, y);
    FDragging = true;
    ToggleFrames();
}

void TPrintPasteAtAction::MouseMove(TPrintView* view, Qt::KeyboardModifiers, int x, int y) {
    if (!FDragging) {
        view->setCursor(Qt::DragCopyCursor);
        return;
    }
    view->setCursor(Qt::ArrowCursor);
    ToggleFrames();
    FTarget = QPoint(x, y);
    ToggleFrames();
}

TPrintItem* TPrintPasteAtAction::GetPasteParent() {
    if (FUnderPointer && FUnderPointer->HasState(TPrintItem::psAcceptItems)) return FUnderPointer;
    return FDocument;
}

void TPrintPasteAtAction::PasteItem(int index, TPrintItem* item, TPrintItem* parent) {
    TPrintPasteAction::PasteItem(index, item, parent);
    if (FPlaced || !FView) return;
    const QPoint mm = FView->Device().PrjBack(FEntries[index].Bounds.topLeft() + FTarget);
    item->SetAbsLeft(mm.x());
    item->SetAbsTop(mm.y());
}

void TPrintPasteAtAction::Finish() {
    if (FView) FView->HideFrames();
    TPrintPasteAction::Finish();
    FPlaced = true;
    FDocument->SetEditMode(emNormal);
}

}  // namespace Plotmere
