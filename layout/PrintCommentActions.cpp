// Mouse actions of the index-anchored items: moving comments and track
// pictures, and adding layers.
#include "PrintComments.h"

#include <QPointer>

namespace Plotmere {

TPrintField* FieldAt(TPrintView* view, const QPoint& point) {
    if (!view || !view->Document()) return nullptr;
    const TFloatPoint mm = view->Device().PrjBack(double(point.x()), double(point.y()));
    TPrintField* found = nullptr;
    // The innermost track: children are visited after their parents.
    std::function<void(TPrintItem*)> walk = [&](TPrintItem* item) {
        if (auto* field = qobject_cast<TPrintField*>(item)) {
            const QRect b = field->Bounds();
            if (mm.x >= b.left() && mm.x < b.left() + b.width() && mm.y >= b.top() && mm.y < b.top() + b.height())
                found = field;
        }
        for (TPrintItem* child : item->Items()) walk(child);
    };
    walk(view->Document());
    return found;
}

namespace {
TPrintField* FieldAncestor(const TPrintItem* item) {
    for (TPrintItem* p = item ? item->GetParent() : nullptr; p; p = p->GetParent())
        if (auto* field = qobject_cast<TPrintField*>(p)) return field;
    return nullptr;
}
}  // namespace

// ---- moving ----

TPrintMoveCommentAction::TPrintMoveCommentAction(TPrintDocument* document, TPrintItem* item, TRenderDevice* device)
    : TPrintAction(TPrintEditActions{saMove}, document), FItem(item), FDevice(device) {
    FIDPos.ID = item->ID();
}

QRect TPrintMoveCommentAction::ItemRect() const {
    auto* comment = qobject_cast<TPrintComment*>(FItem.data());
    return comment && FView ? comment->GetAbsBounds(FView->Device()) : QRect();
}

TFloatPoint TPrintMoveCommentAction::ReadPosition(TPrintItem& item) const {
    auto& comment = static_cast<TPrintComment&>(item);
    return {comment.XOffset(), comment.YOffset()};
}

void TPrintMoveCommentAction::ApplyPosition(TPrintItem& item, const TFloatPoint& position) {
    auto& comment = static_cast<TPrintComment&>(item);
    comment.SetXOffset(position.x);
    comment.SetYOffset(position.y);
    FDocument->Changed(dcDisposition);
}

void TPrintMoveCommentAction::MouseDown(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
    if (button != Qt::LeftButton) {
        if (view) view->HideFrames();
        Cancel();
        return;
    }
    FView = view;
    FPrevPos = QPoint(x, y);
    FOffset = QPoint();
    FDown = true;
    view->Device().ShowFrame(ItemRect(), view->ClientArea());
    view->FramesChanged();
}

void TPrintMoveCommentAction::MouseMove(TPrintView* view, Qt::KeyboardModifiers, int x, int y) {
    if (!FDown || view != FView) return;
    view->Device().ShowFrame(ItemRect().translated(-FOffset), view->ClientArea());
    FOffset = FPrevPos - QPoint(x, y);
    view->Device().ShowFrame(ItemRect().translated(-FOffset), view->ClientArea());
    view->FramesChanged();
}

void TPrintMoveCommentAction::MouseUp(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
    if (!FDown) return;
    if (view) view->HideFrames();
    FDown = false;
    if (button != Qt::LeftButton || FOffset.isNull()) Cancel();
    else Finish();
}

void TPrintMoveCommentAction::Finish() {
    TPrintField* field = FieldAncestor(FItem);
    if (!FItem || !field || !FView) {
        Cancel();
        return;
    }
    const QPoint moved = ItemRect().translated(-FOffset).topLeft();
    const TFloatPoint mm = FView->Device().PrjBack(double(moved.x()), double(moved.y()));
    FIDPos.Position = ReadPosition(*FItem);
    FIDPos.NewPos = {mm.x - field->Bounds().left(), field->PrjVertMMToValue(mm.y)};
    TPrintAction::Finish();
    Apply(FIDPos.NewPos);
}

void TPrintMoveCommentAction::Apply(const TFloatPoint& position) {
    if (TPrintItem* item = FDocument->FindItem(FIDPos.ID)) ApplyPosition(*item, position);
}

void TPrintMoveCommentAction::Undo() {
    TPrintAction::Undo();
    Apply(FIDPos.Position);
}

void TPrintMoveCommentAction::Redo() {
    TPrintAction::Redo();
    Apply(FIDPos.NewPos);
}

QRect TPrintMoveFieldImageAction::ItemRect() const {
    if (!FItem || !FView) return {};
    const QRect b = FItem->Bounds();
    return FView->Device().GetAbsPrjRect(b.left(), b.top(), b.left() + b.width(), b.top() + b.height());
}

TFloatPoint TPrintMoveFieldImageAction::ReadPosition(TPrintItem& item) const {
    return {double(item.Left()), static_cast<TPrintFieldImage&>(item).Position()};
}

void TPrintMoveFieldImageAction::ApplyPosition(TPrintItem& item, const TFloatPoint& position) {
    item.SetLeft(int(Round(position.x)));
    static_cast<TPrintFieldImage&>(item).SetPosition(position.y);
    FDocument->Changed(dcContents);
}

// ---- adding ----

void TPrintAddItemAction::Added(TPrintItem* item) {
    FID = item->ID();
    FParentID = item->GetParent() ? item->GetParent()->ID() : QUuid();
    FText = item->GetAsText();
    FDocument->Changed(dcContents);
}

void TPrintAddItemAction::Undo() {
    TPrintAction::Undo();
    delete FDocument->FindItem(FID);
    FDocument->Changed(dcContents);
}

void TPrintAddItemAction::Redo() {
    TPrintAction::Redo();
    TPrintItem* parent = FDocument->FindItem(FParentID);
    if (!parent) return;
    ItemFromText(FText).release()->SetParent(parent);
    FDocument->Changed(dcContents);
}

void TPrintAddCollectorAction::ToggleBand() {
    if (!FView || !FField) return;
    const QRect b = FField->Bounds();
    const QRect track = FView->Device().GetAbsPrjRect(b.left(), b.top(), b.left() + b.width(), b.top() + b.height());
    const QRect band(QPoint(track.left(), std::min(FStartY, FLastY)), QPoint(track.right(), std::max(FStartY, FLastY)));
    FView->Device().ShowFrame(band, FView->ClientArea());
    FView->FramesChanged();
}

void TPrintAddCollectorAction::MouseDown(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
    FField = button == Qt::LeftButton ? FieldAt(view, QPoint(x, y)) : nullptr;
    if (!FField) {
        if (view) view->HideFrames();
        Cancel();
        return;
    }
    FView = view;
    FStartY = FLastY = y;
    ToggleBand();
}

void TPrintAddCollectorAction::MouseMove(TPrintView* view, Qt::KeyboardModifiers, int, int y) {
    if (!FField || view != FView) return;
    ToggleBand();
    FLastY = y;
    ToggleBand();
}

void TPrintAddCollectorAction::MouseUp(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
    if (view) view->HideFrames();
    FLastY = y;
    if (!FField || button != Qt::LeftButton || FLastY == FStartY) {
        Cancel();
        return;
    }
    const double upper = FView->Device().PrjBack(double(x), double(std::min(FStartY, FLastY))).y;
    const double lower = FView->Device().PrjBack(double(x), double(std::max(FStartY, FLastY))).y;
    auto* layer = new TPrintCollector(FField);
    layer->SetStart(FField->PrjVertMMToValue(upper));
    layer->SetStop(FField->PrjVertMMToValue(lower));
    TPrintAction::Finish();
    Added(layer);
}

}  // namespace Plotmere
