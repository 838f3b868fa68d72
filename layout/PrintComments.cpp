#include "PrintComments.h"

#include "ClassRegistry.h"
#include "ItemSetup.h"
#include "PrintLabels.h"

#include <QDateTime>
#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>
#include <cmath>

namespace Plotmere {

bool ReadCommentTime(const QString& text, TDateTime today, TDateTime& value) {
    const QString t = text.trimmed();
    for (const char* format : {"dd.MM.yyyy hh:mm:ss", "dd.MM.yyyy h:mm:ss", "dd.MM.yyyy hh:mm", "dd.MM.yyyy h:mm",
                               "dd.MM.yyyy", "dd.MM.yy hh:mm", "dd.MM.yy"}) {
        const QDateTime dt = QDateTime::fromString(t, QLatin1String(format));
        if (!dt.isValid()) continue;
        value = QDateTimeToDateTime(dt);
        return true;
    }
    for (const char* format : {"hh:mm:ss", "h:mm:ss", "hh:mm", "h:mm"}) {
        const QTime time = QTime::fromString(t, QLatin1String(format));
        if (!time.isValid()) continue;
        value = std::trunc(today) + time.msecsSinceStartOfDay() / 86400000.0;
        return true;
    }
    return false;
}

namespace {
TPrintField* SketchFirstField(const TPrintItem& item) {
    const auto* doc = qobject_cast<const TSketchDocument*>(item.GetDocument());
    return doc ? doc->FirstField() : nullptr;
}
}  // namespace

// ---- comments root ----

TPrintCommentsRoot::TPrintCommentsRoot(QObject* owner) : TPrintItem(owner) {
    FState = TPrintItemState(psGetChildAction | psCanCopy);
}

QList<TPrintComment*> TPrintCommentsRoot::Comments() const {
    QList<TPrintComment*> list;
    for (TPrintItem* item : Items())
        if (auto* comment = qobject_cast<TPrintComment*>(item)) list << comment;
    return list;
}

bool TPrintCommentsRoot::AcceptItem(TPrintItem* item) const {
    return qobject_cast<TPrintComment*>(item) || qobject_cast<TPrintCommentsRoot*>(item);
}

bool TPrintCommentsRoot::AcceptParent(TPrintItem* item) const {
    return qobject_cast<TPrintField*>(item) || qobject_cast<TPrintCommentsRoot*>(item);
}

void TPrintCommentsRoot::BuildTree(TTreeView& tree, QTreeWidgetItem* node) {
    QTreeWidgetItem* own = tree.AddChild(node, QStringLiteral("Комментарии"), 9, this);
    TPrintItem::BuildTree(tree, own);
}

void TPrintCommentsRoot::Paste(TPrintItem* rootItem, QStringList& pasted) {
    auto* target = qobject_cast<TPrintCommentsRoot*>(rootItem);
    if (!target)
        if (auto* field = qobject_cast<TPrintField*>(rootItem))
            for (TPrintItem* child : field->Items())
                if ((target = qobject_cast<TPrintCommentsRoot*>(child))) break;
    if (!target || target == this) {
        TPrintItem::Paste(rootItem, pasted);
        return;
    }
    // Merged: the comments move over, this root goes.
    for (TPrintComment* comment : Comments()) {
        comment->SetParent(target);
        pasted << comment->GetStrID();
    }
    delete this;
}

bool TPrintCommentsRoot::Setup(TRenderDevice* device) { return RunItemSetupDialog(*this, device); }

void TPrintCommentsRoot::TryConvertTextToObjects(const QString& text, QList<TPrintItem*>& objects) {
    const TPrintDocument* doc = GetDocument();
    const auto* sketch = qobject_cast<const TSketchDocument*>(doc);
    const bool time = sketch && sketch->DataClass() == 0;
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    for (const QString& line : text.split(lineEnd)) {
        const qsizetype tab = line.indexOf(QLatin1Char('\t'));
        if (tab < 0) continue;
        const QString comment = line.mid(tab + 1);
        if (comment.trimmed().isEmpty()) continue;
        double position = 0;
        const bool ok = time ? ReadCommentTime(line.left(tab), doc ? doc->ClockNow() : Now(), position)
                             : TryStrToFloat(line.left(tab), position);
        if (!ok) continue;
        auto* item = new TPrintComment();
        item->SetComment(comment);
        item->SetYOffset(position);
        item->SetXOffset(0);
        item->SetClip(true);
        objects << item;
    }
}

// ---- comments ----

TPrintComment::TPrintComment(QObject* owner) : TPrintItem(owner), FFont(new TFont(this)) {
    FFont->SetName(QStringLiteral("Arial"));
    FFont->SetCharset(RUSSIAN_CHARSET);
    FFont->SetSize(10);
    FState = TPrintItemState(psCanSetup);
}

TPrintComment::TPrintComment(QObject* owner, const TFloatPoint& position) : TPrintComment(owner) {
    if (const TFont* last = LastCommentFont()) FFont->Assign(last);
    FClip = !LastCommentNoClip();
    if (const TPrintField* field = Field()) {
        FXOffset = position.x - field->GetAbsLeft();
        FYOffset = field->PrjVertMMToValue(position.y);
    }
}

TPrintComment::~TPrintComment() { delete FEditor.data(); }

void TPrintComment::BeginInplaceEdit(TPrintView* view) {
    if (!view || FEditor) return;
    TPrintItem::BeginInplaceEdit(view);
    FEditView = view;
    FEditor = OpenInplaceEditor(*this, view, GetAbsMMBounds(view->Device()), FComment, *FFont, false);
}

void TPrintComment::EndInplaceEdit() {
    const TInplaceResult result = CloseInplaceEditor(FEditor, FComment);
    FEditView = nullptr;
    TPrintItem::EndInplaceEdit();
    TPrintDocument* doc = GetDocument();
    if (!doc || result.Text == FComment || !result.Changed) return;
    if (result.Text.trimmed().isEmpty()) {
        doc->DeleteItem(this);
        return;
    }
    const QString oldText = GetAsText();
    FComment = result.Text;
    (new TPrintLabelEditAction(doc, this, oldText))->Finish();
    doc->Changed(dcContents);
}

void TPrintComment::OnDetachView(TPrintView* view) {
    if (FEditor && FEditView == view) EndInplaceEdit();
    TPrintItem::OnDetachView(view);
}

TPrintField* TPrintComment::Field() const {
    const TPrintItem* root = GetParent();
    return root ? qobject_cast<TPrintField*>(root->GetParent()) : nullptr;
}

QStringList TPrintComment::Lines() const {
    static const QRegularExpression lineEnd(QStringLiteral("\r\n|\n|\r"));
    return FComment.split(lineEnd);
}

TFloatPoint TPrintComment::GetAbsFPos() const {
    const TPrintField* field = Field();
    if (!field) return {FXOffset, FYOffset};
    return {field->Bounds().left() + FXOffset, field->PrjVertValueToMM(FYOffset)};
}

QSizeF TPrintComment::GetSizeMM(const TRenderDevice&) const {
    const QFontMetrics metrics(FFont->ToQFont());
    const QStringList lines = Lines();
    double width = 0;
    for (const QString& line : lines) width = std::max(width, double(metrics.horizontalAdvance(line)));
    double height = double(lines.size()) * metrics.height();
    if (FTextAngle == 90 || FTextAngle == 270) std::swap(width, height);
    return QSizeF(width / ScreenPixelsPerMM, height / ScreenPixelsPerMM);
}

QRect TPrintComment::GetAbsMMBounds(const TRenderDevice& device) const {
    const TFloatPoint a = GetAbsFPos();
    const QSizeF size = GetSizeMM(device);
    const int left = int(std::floor(a.x)), top = int(std::floor(a.y));
    int width = int(std::ceil(a.x + size.width())) - left, height = int(std::ceil(a.y + size.height())) - top;
    if (size.width() == 0) width = 40;
    if (size.height() == 0) height = 20;
    return QRect(left, top, width, height);
}

QRect TPrintComment::GetAbsBounds(const TScreenDevice& device) const {
    const TFloatPoint a = GetAbsFPos();
    const QSizeF size = GetSizeMM(device);
    return device.GetAbsPrjRect(a.x, a.y, a.x + size.width(), a.y + size.height());
}

bool TPrintComment::IsPointInItem(const TFloatPoint& point) const {
    const TFloatPoint a = GetAbsFPos();
    const QSizeF size = GetSizeMM(TBitmapDevice());
    return point.x >= a.x && point.x < a.x + size.width() && point.y >= a.y && point.y < a.y + size.height();
}

TPrintEditActions TPrintComment::GetUserAction(TPrintView* view, int x, int y, Qt::KeyboardModifiers shift) {
    if (!view) return {};
    const QRect r = GetAbsBounds(view->Device());
    if (!r.contains(x, y)) return {};
    if (shift.testFlag(Qt::ShiftModifier)) return {saModify};
    const bool border = x - r.left() <= 2 || r.left() + r.width() - 1 - x <= 2 || y - r.top() <= 2 ||
                        r.top() + r.height() - 1 - y <= 2;
    return border ? TPrintEditActions{saMove} : TPrintEditActions{saSetup};
}

bool TPrintComment::DoUserAction(TPrintView* view, TPrintEditActions actions, int, int, Qt::KeyboardModifiers) {
    TPrintDocument* doc = GetDocument();
    if (!doc || !view) return true;
    if (actions.Contains(saModify)) {
        BeginInplaceEdit(view);
    } else if (actions.Contains(saMove)) {
        doc->SetCurAction(new TPrintMoveCommentAction(doc, this, &view->Device()));
    } else if (actions.Contains(saSetup)) {
        const QString oldText = GetAsText(), oldComment = FComment;
        if (!Setup(&view->Device())) return true;
        if (FComment.trimmed().isEmpty()) {
            // An emptied comment goes, undoably, as it was before.
            FComment = oldComment;
            doc->DeleteItem(this);
        } else if (GetAsText() != oldText) {
            (new TPrintSetupAction(doc, this, oldText))->Finish();
            doc->Changed(dcContents);
        }
    }
    return true;
}

void TPrintComment::Prepare(TRenderDevice& device) {
    if (FEditor) EndInplaceEdit();
    FBounds = GetAbsMMBounds(device);
}

void TPrintComment::Render(TRenderDevice& device) {
    const TPrintField* field = Field();
    if (!device.Canvas() || !field) return;
    QPainter& canvas = *device.Canvas();
    const TFloatPoint a = GetAbsFPos();
    const QSizeF size = GetSizeMM(device);
    TClipRgn old;
    const bool ownClip = !FClip;
    if (ownClip) {
        // Free comments may reach beyond their track, across the page.
        const QRect client = field->ClientRect();
        old = device.SetDefaultClipRgn();
        device.Clip(0, client.top(), device.PageWidth, client.top() + client.height(), false);
    }
    canvas.save();
    if (FTextAngle != 0) device.SetRotatedFont(*FFont, FTextAngle);
    else device.SetScaledFont(*FFont);
    canvas.setBrush(Qt::NoBrush);
    const double xs = device.XResScl() > 0 ? device.XResScl() : ScreenPixelsPerMM;
    const double ys = device.YResScl() > 0 ? device.YResScl() : ScreenPixelsPerMM;
    const double line = device.TextHeight(*FFont, QStringLiteral("Wq"));
    const double l = a.x, t = a.y, r = a.x + size.width(), b = a.y + size.height();
    const QStringList lines = Lines();
    for (int i = 0; i < lines.size(); ++i) {
        const double w = device.TextWidth(*FFont, lines.at(i));
        const double shift = FTextAlign == taRightJustify ? w : FTextAlign == taCenter ? w / 2 : 0;
        double x = l, y = t;
        switch (FTextAngle) {
        case 90:
            x = l + i * line / xs;
            y = (FTextAlign == taLeftJustify ? b : FTextAlign == taRightJustify ? t : (t + b) / 2) + (FTextAlign == taLeftJustify ? 0 : shift / ys);
            break;
        case 180:
            y = b - i * line / ys;
            x = (FTextAlign == taLeftJustify ? r : FTextAlign == taRightJustify ? l : (l + r) / 2) + (FTextAlign == taLeftJustify ? 0 : shift / xs);
            break;
        case 270:
            x = r - i * line / xs;
            y = (FTextAlign == taLeftJustify ? t : FTextAlign == taRightJustify ? b : (t + b) / 2) - (FTextAlign == taLeftJustify ? 0 : shift / ys);
            break;
        default:
            y = t + i * line / ys;
            x = (FTextAlign == taLeftJustify ? l : FTextAlign == taRightJustify ? r : (l + r) / 2) - shift / xs;
            break;
        }
        device.TextOut(x, y, lines.at(i));
    }
    canvas.restore();
    if (ownClip) device.RestoreClipRgn(old);
    RenderSelection(device);
}

bool TPrintComment::Setup(TRenderDevice* device) { return RunItemSetupDialog(*this, device); }

// ---- layers ----

void TPrintCollector::BuildTree(TTreeView& tree, QTreeWidgetItem* node) { tree.AddChild(node, PrintClassName(), 12, this); }

TPrintEditActions TPrintCollector::GetUserAction(TPrintView* view, int x, int y, Qt::KeyboardModifiers) {
    const TPrintField* field = Field();
    if (!view || !field) return {};
    const double mm = view->Device().PrjBack(double(x), double(y)).y;
    const double a = field->PrjVertValueToMM(FStart), b = field->PrjVertValueToMM(FStop);
    return mm >= std::min(a, b) && mm <= std::max(a, b) ? TPrintEditActions{saSetup} : TPrintEditActions{};
}

bool TPrintCollector::DoUserAction(TPrintView* view, TPrintEditActions, int x, int y, Qt::KeyboardModifiers shift) {
    if (GetUserAction(view, x, y, shift).Empty()) return false;
    if (TPrintDocument* doc = GetDocument()) doc->SetupItem(this);
    return true;
}

void TPrintCollector::Render(TRenderDevice& device) {
    const TPrintField* field = Field();
    if (!device.Canvas() || !field) return;
    QPainter& canvas = *device.Canvas();
    const QRect b = field->Bounds();
    const double top = field->PrjVertValueToMM(std::min(FStart, FStop)), bottom = field->PrjVertValueToMM(std::max(FStart, FStop));
    canvas.save();
    // Tints what lies below; on white paper it shows ShownColor.
    device.SelectTint(FColor);
    device.Rectangle(b.left(), top, b.left() + b.width(), bottom);
    canvas.restore();
}

bool TPrintCollector::Setup(TRenderDevice* device) { return RunItemSetupDialog(*this, device); }

// ---- correlation lines ----

void TPLPoint::Assign(const TPersistent* source) {
    auto* p = qobject_cast<const TPLPoint*>(source);
    if (!p) return TCollectionItem::Assign(source);
    FX = p->FX;
    FY = p->FY;
}

TPrintCorellationLine::TPrintCorellationLine(QObject* owner) : TPrintItem(owner), FPoints(new TPLPointCollection(this)) {}

TFloatPoint TPrintCorellationLine::GetPoint(int index) const {
    const TPLPoint* p = FPoints->Point(index);
    return {p->X(), p->Y()};
}

void TPrintCorellationLine::SetPoint(int index, const TFloatPoint& point) {
    TPLPoint* p = FPoints->Point(index);
    p->SetX(point.x);
    p->SetY(point.y);
}

void TPrintCorellationLine::AddPoint(double x, double value) {
    auto* p = qobject_cast<TPLPoint*>(FPoints->Add());
    p->SetX(x);
    p->SetY(value);
}

std::optional<TFloatPoint> TPrintCorellationLine::NodeMM(int index) const {
    const TPrintField* field = SketchFirstField(*this);
    if (!field) return std::nullopt;
    const TPLPoint* p = FPoints->Point(index);
    return TFloatPoint{p->X(), field->PrjVertValueToMM(p->Y())};
}

int TPrintCorellationLine::GetNodeHit(TPrintView* view, const QPoint& point) const {
    if (!view) return -1;
    for (int i = 0; i < FPoints->Count(); ++i) {
        const std::optional<TFloatPoint> p = NodeMM(i);
        if (p && view->Device().GetAbsPrjRect(p->x - 1, p->y - 1, p->x + 1, p->y + 1).contains(point)) return i;
    }
    return -1;
}

void TPrintCorellationLine::BuildTree(TTreeView& tree, QTreeWidgetItem* node) {
    tree.AddChild(node, QStringLiteral("Линия"), 13, this);
}

TPrintEditActions TPrintCorellationLine::GetUserAction(TPrintView* view, int x, int y, Qt::KeyboardModifiers) {
    return GetNodeHit(view, QPoint(x, y)) >= 0 ? TPrintEditActions{saMove} : TPrintEditActions{};
}

bool TPrintCorellationLine::DoUserAction(TPrintView* view, TPrintEditActions, int x, int y, Qt::KeyboardModifiers) {
    const int node = GetNodeHit(view, QPoint(x, y));
    TPrintDocument* doc = GetDocument();
    if (node < 0 || !doc) return false;
    doc->SetCurAction(new TPrintMoveCorellationLineNodeAction(doc, this, node));
    return true;
}

bool TPrintCorellationLine::IsPointInItem(const TFloatPoint& point) const {
    for (int i = 0; i < FPoints->Count(); ++i) {
        const std::optional<TFloatPoint> p = NodeMM(i);
        if (p && std::abs(p->x - point.x) < 1 && std::abs(p->y - point.y) < 1) return true;
    }
    return false;
}

void TPrintCorellationLine::Prepare(TRenderDevice&) {
    // The bounds convert each point's index through the reference track, as
    // the drawing does.
    double minX = 0, minY = 0, maxX = 0, maxY = 0;
    bool any = false;
    for (int i = 0; i < FPoints->Count(); ++i) {
        const std::optional<TFloatPoint> p = NodeMM(i);
        if (!p) break;
        minX = any ? std::min(minX, p->x) : p->x;
        maxX = any ? std::max(maxX, p->x) : p->x;
        minY = any ? std::min(minY, p->y) : p->y;
        maxY = any ? std::max(maxY, p->y) : p->y;
        any = true;
    }
    if (!any) {
        FBounds = GetBounds();
        return;
    }
    const int l = int(std::floor(minX)), t = int(std::floor(minY));
    FBounds = QRect(l, t, int(std::ceil(maxX)) - l, int(std::ceil(maxY)) - t);
}

void TPrintCorellationLine::Render(TRenderDevice& device) {
    if (!device.Canvas() || !SketchFirstField(*this)) return;
    QPolygon points;
    for (int i = 0; i < FPoints->Count(); ++i) {
        const TFloatPoint p = *NodeMM(i);
        points << device.Prj(p.x, p.y);
    }
    QPainter& canvas = *device.Canvas();
    canvas.save();
    canvas.setPen(QPen(ColorToQColor(FColor), std::max(FPenWidth, 1)));
    canvas.drawPolyline(points);
    canvas.restore();
    RenderSelection(device);
}

bool TPrintCorellationLine::Setup(TRenderDevice* device) { return RunItemSetupDialog(*this, device); }

// ---- track pictures ----

void TPrintFieldImage::BuildTree(TTreeView& tree, QTreeWidgetItem* node) {
    const auto* doc = qobject_cast<const TSketchDocument*>(GetDocument());
    const QString position = doc && doc->DataClass() == 0 ? DateTimeToStr(FPosition) : FormatFloat(QStringLiteral("0.##"), FPosition);
    tree.AddChild(node, QStringLiteral("Изображение (") + position + QLatin1Char(')'), 6, this);
}

void TPrintFieldImage::Prepare(TRenderDevice& device) {
    TPrintImage::Prepare(device);
    if (const auto* field = qobject_cast<const TPrintField*>(GetParent())) {
        const double top = Round(field->PrjVertValueToMM(FPosition));
        FBounds.moveTop(int(std::clamp(top, -1e7, 1e7)));
    }
    SetStateFlag(psSelected, false);
    SetStateFlag(psSelectable, false);
    SetStateFlag(psCanSetup, false);
}

void TPrintFieldImage::Render(TRenderDevice& device) {
    if (device.PrjRect(FBounds).intersects(device.PageBounds)) TPrintImage::Render(device);
}

TPrintEditActions TPrintFieldImage::GetUserAction(TPrintView* view, int x, int y, Qt::KeyboardModifiers shift) {
    if (!view) return {};
    const QRect r = view->Device().GetAbsPrjRect(FBounds.left(), FBounds.top(), FBounds.left() + FBounds.width(),
                                                 FBounds.top() + FBounds.height());
    if (!r.contains(x, y)) return {};
    if (view->InDoubleClick() || shift.testFlag(Qt::ShiftModifier)) return {saSetup};
    return {saMove};
}

bool TPrintFieldImage::DoUserAction(TPrintView* view, TPrintEditActions actions, int, int, Qt::KeyboardModifiers) {
    TPrintDocument* doc = GetDocument();
    if (!actions.Contains(saMove) || !doc || !view) return false;
    doc->SetCurAction(new TPrintMoveFieldImageAction(doc, this, &view->Device()));
    return true;
}

WK_REGISTER_CLASS(TPrintCommentsRoot)
WK_REGISTER_CLASS(TPrintComment)
WK_REGISTER_CLASS(TPrintCollector)
WK_REGISTER_CLASS(TPrintCorellationLine)
WK_REGISTER_CLASS(TPrintFieldImage)

}  // namespace Plotmere
