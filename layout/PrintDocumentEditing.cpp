// The document's editing operations: each runs as an action.
#include "PrintActions.h"

#include <QApplication>
#include <QCursor>
#include <QMouseEvent>

namespace Plotmere {

void TPrintDocument::DeleteItem(TPrintItem* item) {
    if (!item || item == this) return;
    (new TPrintDeleteAction(this, item))->Finish();
}

void TPrintDocument::DeleteSelection() {
    if (FSelection.isEmpty()) return;
    (new TPrintDeleteAction(this))->Finish();
}

void TPrintDocument::AlignSelection(TPrintAlignStyle style) {
    if (FSelection.isEmpty()) return;
    (new TPrintAlignAction(this, style))->Finish();
}

void TPrintDocument::BringSelectionToFront() {
    if (FSelection.isEmpty()) return;
    (new TPrintOrderAction(this, true))->Finish();
}

void TPrintDocument::SendSelectionToBack() {
    if (FSelection.isEmpty()) return;
    (new TPrintOrderAction(this, false))->Finish();
}

void TPrintDocument::PasteFromClipboard() { (new TPrintPasteAction(this))->Finish(); }

void TPrintDocument::PlaceItem(TPrintItem* item) {
    if (!item) return;
    (new TPrintPlaceItemAction(this, item))->Finish();
    FAfterPlaceItem.Invoke(static_cast<QObject*>(item));
}

void TPrintDocument::PlaceItem(const TFloatPoint& position) {
    if (!FOnPlaceItem) return;
    TPrintItem* hit = GetItemAt(position);
    TPrintItem* parent = hit && hit->HasState(psAcceptItems) ? hit : this;
    QObject* created = nullptr;
    FOnPlaceItem.InvokeR(created, static_cast<QObject*>(parent), position);
    PlaceItem(qobject_cast<TPrintItem*>(created));
}

void TPrintDocument::Undo() {
    if (TPrintAction* action = LastDone()) action->Undo();
}

void TPrintDocument::Redo() {
    if (TPrintAction* action = LastUndone()) action->Redo();
}

void TPrintDocument::SetCurAction(TPrintAction* action) {
    if (action && FCurAction && FCurAction != action) FCurAction->Cancel();
    FEditMode = emNormal;
    FCurAction = action;
}

void TPrintDocument::SetEditMode(TEditMode mode) {
    if (FCurAction) FCurAction->Cancel();
    FEditMode = mode;
    if (mode == emPasteComponents) FCurAction = new TPrintPasteAtAction(this);
    // The view under the pointer shows the cursor of the new mode at once.
    if (auto* view = qobject_cast<TPrintView*>(QApplication::widgetAt(QCursor::pos()))) {
        const QPoint local = view->mapFromGlobal(QCursor::pos());
        QMouseEvent move(QEvent::MouseMove, QPointF(local), QPointF(QCursor::pos()), Qt::NoButton,
                         QApplication::mouseButtons(), QApplication::keyboardModifiers());
        QApplication::sendEvent(view, &move);
    }
}

void TPrintDocument::SetupItem(TPrintItem* item) {
    if (!item) return;
    const QString oldText = item->GetAsText();
    if (!item->Setup(FMainDevice)) return;
    if (item->GetAsText() == oldText) return;
    (new TPrintSetupAction(this, item, oldText))->Finish();
    Changed(dcContents);
}

void TPrintDocument::SetupSelectedItem() { SetupItem(TreeSelectedItem()); }

}  // namespace Plotmere
