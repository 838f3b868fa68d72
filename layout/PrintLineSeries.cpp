// The line curve: a polyline with optional fills towards either edge, a crop
// value, a jagged (step) form and user marks set with the mouse.
#include "PrintSeries.h"

#include "ClassRegistry.h"
#include "ItemSetup.h"

#include <QPainter>
#include <QPainterPath>
#include <cmath>
#include <limits>

namespace Plotmere {

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();
constexpr double ScreenDotsPerInch = 96;

Qt::PenStyle QtPenStyle(TPen::TPenStyle style) {
    TPen pen;
    pen.SetStyle(style);
    return pen.ToQPen().style();
}
}  // namespace

void TPrintMark::Assign(const TPersistent* source) {
    auto* mark = qobject_cast<const TPrintMark*>(source);
    if (!mark) return TCollectionItem::Assign(source);
    FX = mark->FX;
    FY = mark->FY;
    FUp = mark->FUp;
}

TPrintLineSeries::TPrintLineSeries(QObject* owner) : TPrintSeries(owner), FMarks(new TPrintMarks(this)) {}

bool TPrintLineSeries::IsMarksStored() const {
    const TSketchDocument* doc = GetSketchDocument();
    if (!doc || !doc->WritingFile()) return true;
    return doc->IsBlocksStored();
}

void TPrintLineSeries::BuildTree(TTreeView& tree, QTreeWidgetItem* node) {
    if (HasState(psCanSetup)) tree.AddChild(node, Caption(), 8, this);
}

void TPrintLineSeries::DrawTreeLine(TTreeView&, const QRect&) {}

void TPrintLineSeries::Prepare(TRenderDevice& device) {
    FDescr.Flags.Include(TSeriesFlag::sfNeedCache);
    FDescr.Flags.Include(TSeriesFlag::sfNeedPageCache);
    SetStateFlag(psCanSetup, true);
    TPrintSeries::Prepare(device);
}

bool TPrintLineSeries::Setup(TRenderDevice* device) { return RunItemSetupDialog(*this, device); }

void TPrintLineSeries::DataLoaded() {
    TPrintSeries::DataLoaded();
    // Marks belong to the data they were set on: new data from the plug-ins
    // drop them, data read back from the document file keep them.
    const TSketchDocument* doc = GetSketchDocument();
    if (doc && doc->GetLoading() && !doc->LoadedFromForm()) FMarks->Clear();
}

void TPrintLineSeries::ShowHeaderLine(TRenderDevice& device, QRect& hdrRect) {
    if (QPainter* canvas = device.Canvas()) {
        QPen pen = canvas->pen();
        pen.setStyle(QtPenStyle(FPenStyle));
        canvas->setPen(pen);
    }
    TPrintSeries::ShowHeaderLine(device, hdrRect);
}

void TPrintLineSeries::DoRender(TRenderDevice& device) {
    const TSeriesCache* list = CurrentPageList(device);
    const TPrintField* field = GetPrintField();
    if (!list || !FCanPrj || !field || !device.Canvas()) return;
    QPainter& canvas = *device.Canvas();
    const QRect client = field->ClientRect();
    const double clientBottom = client.top() + client.height();
    TClipRgn crop;
    bool cropped = false;
    if (FCropValue != NoCrop && Min() < FCropValue && FCropValue < Max()) {
        const double a = PrjDataX(FCropValue), b = PrjDataX(Max());
        crop = device.Clip(std::min(a, b), client.top(), std::max(a, b), clientBottom, true);
        cropped = true;
    }
    const auto uncrop = [&] {
        if (cropped) device.RestoreClipRgn(crop);
        cropped = false;
    };
    try {
        QPen pen(ColorToQColor(Color()), 1, QtPenStyle(FPenStyle));
        pen.setCosmetic(true);
        canvas.setPen(pen);
        const double xs = device.XResScl();
        const int lowX = int(Round(PrjDataX(std::min(Min(), Max())) * xs));
        const int highX = int(Round(PrjDataX(std::max(Min(), Max())) * xs));
        const QRect clip = canvas.hasClipping() ? canvas.clipBoundingRect().toAlignedRect() : device.PageBounds;
        const int fieldLeft = device.Prj(field->Bounds().left(), 0).x();
        const int fieldRight = device.Prj(field->Bounds().left() + field->Width(), 0).x();
        const int fieldTop = device.Prj(0, field->Bounds().top()).y();
        QPolygon points;
        for (const TSeriesCacheEntry& entry : *list) {
            const int y1 = device.Prj(0, PrjDataY(entry.YSegment->GetAsDouble(entry.StartIndex))).y();
            const int y2 = device.Prj(0, PrjDataY(entry.YSegment->GetAsDouble(entry.StopIndex))).y();
            const QRect run(QPoint(fieldLeft, std::min(y1, y2)), QPoint(fieldRight, std::max(y1, y2)));
            if (!run.intersects(clip)) continue;
            const int n = PrjCacheEntry(device, entry);
            if (n <= 0) continue;
            points.clear();
            points.reserve(FJagged ? 2 * n - 1 : n);
            points << FPoints[0];
            for (int k = 1; k < n; ++k) {
                // The value holds down to the next sample, then changes.
                if (FJagged) points << QPoint(FPoints[size_t(k)].x(), FPoints[size_t(k - 1)].y());
                points << FPoints[size_t(k)];
            }
            const auto fill = [&](TBrush::TBrushStyle style, TColor color, int baseX) {
                if (style == TBrush::bsClear) return;
                TBrush brush;
                brush.SetStyle(style);
                brush.SetColor(color);
                QPainterPath path;
                path.setFillRule(Qt::WindingFill);
                path.moveTo(baseX, points.first().y());
                for (const QPoint& p : points) path.lineTo(p);
                path.lineTo(baseX, points.last().y());
                path.closeSubpath();
                canvas.setBrushOrigin(0, fieldTop);
                canvas.fillPath(path, brush.ToQBrush());
            };
            fill(FBrushStyle, FBrushColor, lowX);
            fill(FMaxBrushStyle, FMaxBrushColor, highX);
            if (device.DeviceType == dtPrinter) {
                QPen wide = pen;
                wide.setCosmetic(false);
                wide.setWidthF(FPenWidth * device.XRes() * 25.4 / ScreenDotsPerInch);
                canvas.setPen(wide);
                canvas.drawPolyline(points);
                canvas.setPen(pen);
            } else {
                canvas.drawPolyline(points);
                for (int shift = 1; shift < FPenWidth; ++shift) canvas.drawPolyline(points.translated(shift, 0));
            }
        }
    } catch (const std::exception&) {
        // Bad values end this curve's drawing for the page.
        uncrop();
        return;
    }
    uncrop();
    DrawMarks(device);
}

QString TPrintLineSeries::MarkText(const TPrintMark& mark) const {
    const double value = FDescr.A != 0 ? FDescr.A * mark.X() + FDescr.B : mark.X();
    return FormatFloat(ValueFormat(), value);
}

QRectF TPrintLineSeries::MarkLabelRect(const TRenderDevice& device, const TPrintMark& mark) const {
    const double xs = device.XResScl() > 0 ? device.XResScl() : ScreenPixelsPerMM * device.Scale();
    const double ys = device.YResScl() > 0 ? device.YResScl() : ScreenPixelsPerMM * device.Scale();
    const double px = PrjDataX(mark.X()), py = PrjDataY(mark.Y());
    const double endX = px + (mark.Up() ? 3 : -3) + 1 / xs;
    const double endY = py - 3 - 1 / ys;
    const QString text = MarkText(mark);
    const double w = device.TextWidth(*FFont, text) / xs, h = device.TextHeight(*FFont, text) / ys;
    const double left = mark.Up() ? endX + 1 / xs : endX + 1 / xs - w;
    return QRectF(left, endY - h, w, h);
}

void TPrintLineSeries::DrawMarks(TRenderDevice& device) {
    if (FMarks->Count() == 0 || !device.Canvas()) return;
    QPainter& canvas = *device.Canvas();
    device.SetScaledFont(*FFont);
    canvas.setBrush(ColorToQColor(TColor(MarkBrushColor)));
    const double xs = device.XResScl(), ys = device.YResScl();
    for (int i = 0; i < FMarks->Count(); ++i) {
        const TPrintMark& mark = *FMarks->GetMark(i);
        const double px = PrjDataX(mark.X()), py = PrjDataY(mark.Y());
        const QPoint p = device.Prj(px, py);
        const QPoint end = device.Prj(px + (mark.Up() ? 3 : -3) + 1 / xs, py - 3 - 1 / ys);
        canvas.drawLine(p, end);
        const QRectF box = MarkLabelRect(device, mark);
        const QPoint lt = device.Prj(box.left(), box.top());
        const QPoint rb = device.Prj(box.right(), box.bottom());
        canvas.drawRect(QRect(lt, rb).adjusted(-1, -1, 1, 1));
        device.TextOutPx(lt, MarkText(mark));
    }
}

double TPrintLineSeries::FindNearestY(int page, double& y, bool& up) {
    if (page < 1 || page > int(FPageCache.size())) return NaN;
    for (const TSeriesCacheEntry& entry : FPageCache[size_t(page - 1)]) {
        try {
            const bool below = entry.YSegment->GetAsDouble(entry.StartIndex) < y;
            for (int row = entry.StartIndex + 1; row <= entry.StopIndex; ++row) {
                const double index = entry.YSegment->GetAsDouble(row);
                if ((index < y) == below) continue;
                const double value = entry.XSegment->GetAsDouble(row);
                up = entry.XSegment->GetAsDouble(row - 1) < value;
                y = index;
                return value;
            }
        } catch (const std::exception&) {
            continue;
        }
    }
    return NaN;
}

bool TPrintLineSeries::GetHit(const TRenderDevice& device, int x, bool loose, int y, double& value, double& index,
                              bool& up) {
    if (!FCanPrj) return false;
    if (FBlockCache.empty()) BuildCacheLevel1();
    if (FPageCache.empty()) BuildCacheLevel2(device);
    const TFloatPoint mm = device.PrjBack(double(x), double(y));
    const double page = std::floor(mm.y / device.PageHeight) + 1;
    if (!(page >= 1) || page > double(FPageCache.size())) return false;
    index = PrjDataBackY(mm.y);
    value = FindNearestY(int(page), index, up);
    if (std::isnan(value)) return false;
    return loose || std::abs(PrjDataX(value) - mm.x) < 2;
}

int TPrintLineSeries::GetMarkIndex(const TRenderDevice& device, int x, int y) const {
    const TFloatPoint mm = device.PrjBack(double(x), double(y));
    for (int i = 0; i < FMarks->Count(); ++i)
        if (MarkLabelRect(device, *FMarks->GetMark(i)).contains(mm.x, mm.y)) return i;
    return -1;
}

TPrintEditActions TPrintLineSeries::GetUserAction(TPrintView* view, int x, int y, Qt::KeyboardModifiers shift) {
    if (!FCanPrj || !view) return {};
    const TScreenDevice& device = view->Device();
    if (GetMarkIndex(device, x, y) >= 0) return {saDelete};
    double value, index;
    bool up;
    if (!shift.testFlag(Qt::ControlModifier) && GetHit(device, x, shift.testFlag(Qt::ShiftModifier), y, value, index, up))
        return {saMark};
    return {};
}

bool TPrintLineSeries::DoUserAction(TPrintView* view, TPrintEditActions, int x, int y, Qt::KeyboardModifiers shift) {
    if (!FCanPrj || !view) return false;
    const TScreenDevice& device = view->Device();
    if (const int mark = GetMarkIndex(device, x, y); mark >= 0) {
        (new TPrintDeleteMarkAction(this, FMarks->GetMark(mark)))->Finish();
        return true;
    }
    double value, index;
    bool up;
    if (shift.testFlag(Qt::ControlModifier) || !GetHit(device, x, shift.testFlag(Qt::ShiftModifier), y, value, index, up))
        return true;
    // The label goes to the side away from the curve.
    const bool right = PrjDataX(value) < device.PrjBack(double(x), double(y)).x;
    (new TPrintSetMarkAction(this, value, index, right))->Finish();
    return true;
}

WK_REGISTER_CLASS(TPrintLineSeries)

}  // namespace Plotmere
