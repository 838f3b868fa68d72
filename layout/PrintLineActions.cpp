// Mouse actions that draw correlation lines, move their nodes, place track
// pictures and select an index range.
#include "PrintComments.h"

#include "UIServices.h"

#include <QToolTip>

namespace Plotmere {

namespace {
TPrintField* ReferenceField(const TPrintDocument* doc) {
    const auto* sketch = qobject_cast<const TSketchDocument*>(doc);
    return sketch ? sketch->FirstField() : nullptr;
}

// A window point as (mm from the page's left, index value) of the reference track.
TFloatPoint NodeValue(TPrintView* view, const TPrintField& field, const QPoint& point) {
    const TFloatPoint mm = view->Device().PrjBack(double(point.x()), double(point.y()));
    return {mm.x, field.PrjVertMMToValue(mm.y)};
}
}  // namespace

// ---- adding a correlation line ----

void TPrintAddCorellationLineAction::ToggleSegment() {
    if (!FView || FNodes.isEmpty()) return;
    FView->Device().ShowSegment(QLine(FNodes.last(), FCursor));
    FView->FramesChanged();
}

void TPrintAddCorellationLineAction::Release() {
    if (!FView) return;
    if (FSegmentShown) ToggleSegment();
    FSegmentShown = false;
    FView->releaseMouse();
    FView->HideFrames();
    FView->update();
}

void TPrintAddCorellationLineAction::Cancel() {
    Release();
    TPrintAddItemAction::Cancel();
}

void TPrintAddCorellationLineAction::MouseDown(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers, int x,
                                               int y) {
    if (button != Qt::LeftButton) return;
    FView = view;
    if (!ReferenceField(FDocument)) {
        Cancel();
        return;
    }
    if (view->InDoubleClick()) {
        if (FNodes.size() >= 2) Finish();
        else Cancel();
        return;
    }
    const QPoint p(x, y);
    if (!FNodes.isEmpty() && std::abs(p.x() - FNodes.last().x()) <= 2 && std::abs(p.y() - FNodes.last().y()) <= 2) return;
    if (FSegmentShown) ToggleSegment();
    FSegmentShown = false;
    FNodes << p;
}

void TPrintAddCorellationLineAction::MouseMove(TPrintView* view, Qt::KeyboardModifiers, int x, int y) {
    if (view != FView || FNodes.isEmpty()) return;
    if (FSegmentShown) ToggleSegment();
    FCursor = QPoint(x, y);
    ToggleSegment();
    FSegmentShown = true;
}

void TPrintAddCorellationLineAction::MouseUp(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers, int, int) {
    // Moves keep arriving between the clicks.
    if (button == Qt::LeftButton && view == FView && view->isVisible()) view->grabMouse();
}

void TPrintAddCorellationLineAction::Finish() {
    TPrintField* field = ReferenceField(FDocument);
    if (!field || FNodes.size() < 2 || !FView) {
        Cancel();
        return;
    }
    auto* line = new TPrintCorellationLine(FDocument);
    for (const QPoint& node : FNodes) {
        const TFloatPoint p = NodeValue(FView, *field, node);
        line->AddPoint(p.x, p.y);
    }
    Release();
    TPrintAction::Finish();
    Added(line);
}

// ---- moving a node ----

TPrintMoveCorellationLineNodeAction::TPrintMoveCorellationLineNodeAction(TPrintDocument* document,
                                                                         TPrintCorellationLine* line, int node)
    : TPrintSetupAction(document, line, line->GetAsText()), FLine(line), FNode(node) {}

void TPrintMoveCorellationLineNodeAction::ToggleSegments() {
    if (!FView || !FLine) return;
    for (const int neighbour : {FNode - 1, FNode + 1}) {
        if (neighbour < 0 || neighbour >= FLine->Points().Count()) continue;
        const std::optional<TFloatPoint> p = FLine->NodeMM(neighbour);
        if (p) FView->Device().ShowSegment(QLine(FView->Device().AbsPrj(p->x, p->y), FCursor));
    }
    FView->FramesChanged();
}

void TPrintMoveCorellationLineNodeAction::MouseDown(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers,
                                                    int x, int y) {
    if (button != Qt::LeftButton) {
        if (view) view->HideFrames();
        Cancel();
        return;
    }
    FView = view;
    FCursor = QPoint(x, y);
}

void TPrintMoveCorellationLineNodeAction::MouseMove(TPrintView* view, Qt::KeyboardModifiers, int x, int y) {
    if (view != FView) return;
    if (FShown) ToggleSegments();
    FCursor = QPoint(x, y);
    ToggleSegments();
    FShown = true;
}

void TPrintMoveCorellationLineNodeAction::MouseUp(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers, int x,
                                                  int y) {
    if (view) view->HideFrames();
    TPrintField* field = ReferenceField(FDocument);
    if (button != Qt::LeftButton || !FLine || !field || !FView || !FShown) {
        Cancel();
        return;
    }
    FLine->SetPoint(FNode, NodeValue(FView, *field, QPoint(x, y)));
    RecordNewText(FLine);
    TPrintAction::Finish();
    FDocument->Changed(dcContents);
}

// ---- placing a track picture ----

void TPrintAddFieldImage::MouseDown(TPrintView* view, Qt::MouseButton, Qt::KeyboardModifiers, int, int) {
    if (view) view->setCursor(Qt::CrossCursor);
}

void TPrintAddFieldImage::MouseMove(TPrintView* view, Qt::KeyboardModifiers, int, int) {
    if (view) view->setCursor(Qt::CrossCursor);
}

void TPrintAddFieldImage::MouseUp(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
    TPrintField* field = button == Qt::LeftButton ? FieldAt(view, QPoint(x, y)) : nullptr;
    if (!field) {
        Cancel();
        return;
    }
    if (FFileName.isEmpty()) {
        TFileDialogOptions options;
        options.Title = QStringLiteral("Изображение");
        options.Filter = QStringLiteral("Изображения (*.png;*.bmp;*.jpg;*.jpeg)|*.png;*.bmp;*.jpg;*.jpeg|Все файлы (*.*)|*.*");
        options.Picture = true;
        if (!UIServices().OpenFileDialog(options)) {
            Cancel();
            return;
        }
        FFileName = options.FileName;
    }
    auto image = std::make_unique<TPrintFieldImage>();
    if (!image->SetImageFile(FFileName)) {
        Cancel();
        return;
    }
    image->AutoSize();
    const TFloatPoint mm = view->Device().PrjBack(double(x), double(y));
    image->SetPosition(field->PrjVertMMToValue(mm.y));
    image->SetLeft(int(Round(mm.x - field->GetAbsLeft())));
    TPrintFieldImage* placed = image.release();
    placed->SetParent(field);
    TPrintAction::Finish();
    Added(placed);
}

// ---- index range ----

double TPrintAddDataRangeAction::ValueAt(int y) const {
    if (!FView || !FField) return 0;
    return FField->PrjVertMMToValue(FView->Device().PrjBack(0.0, double(y)).y);
}

double TPrintAddDataRangeAction::GetStart() const { return ValueAt(std::min(FStartY, FLastY)); }

double TPrintAddDataRangeAction::GetStop() const { return ValueAt(std::max(FStartY, FLastY)); }

QString TPrintAddDataRangeAction::Hint() const {
    const auto* doc = qobject_cast<const TSketchDocument*>(FDocument);
    const bool time = doc && doc->DataClass() == 0;
    const auto text = [time](double v) { return time ? DateTimeToStr(v) : FormatFloat(QStringLiteral("0.00"), v); };
    return QStringLiteral("Интервал выбора: ") + text(GetStart()) + QStringLiteral(" - ") + text(GetStop());
}

void TPrintAddDataRangeAction::ToggleBand() {
    if (!FView) return;
    const QRect page = FView->Device().GetAbsPrjRect(0, 0, FView->Device().PageWidth, 0);
    FView->Device().ShowFrame(QRect(QPoint(page.left(), std::min(FStartY, FLastY)), QPoint(page.right(), std::max(FStartY, FLastY))),
                              FView->ClientArea());
    FView->FramesChanged();
}

void TPrintAddDataRangeAction::MouseDown(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers, int x, int y) {
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

void TPrintAddDataRangeAction::MouseMove(TPrintView* view, Qt::KeyboardModifiers, int x, int y) {
    if (!FField || view != FView) return;
    ToggleBand();
    FLastY = y;
    ToggleBand();
    if (view->isVisible()) QToolTip::showText(view->mapToGlobal(QPoint(x, y)), Hint(), view);
}

void TPrintAddDataRangeAction::MouseUp(TPrintView* view, Qt::MouseButton button, Qt::KeyboardModifiers, int, int y) {
    if (view) view->HideFrames();
    QToolTip::hideText();
    if (!FField || button != Qt::LeftButton) {
        Cancel();
        return;
    }
    FLastY = y;
    TPrintAction::Finish();
}

}  // namespace Plotmere
