// The digital curve: parameter values written as text at index steps or at
// changes of the value.
#include "PrintSeries.h"

#include "ClassRegistry.h"
#include "ItemSetup.h"

#include <QPainter>
#include <cmath>

namespace Plotmere {

namespace {
// An index this close below a multiple of the step counts as on it (one
// millisecond, in days).
constexpr double StepTolerance = 1.0 / 86400000;

bool IsDateTime(const TDataSegment* segment) { return qobject_cast<const TDateTimeDataSegment*>(segment) != nullptr; }
}  // namespace

TPrintDigitalSeries::TPrintDigitalSeries(QObject* owner) : TPrintSeries(owner) {}

void TPrintDigitalSeries::BuildTree(TTreeView& tree, QTreeWidgetItem* node) {
    if (HasState(psCanSetup)) tree.AddChild(node, Caption(), 7, this);
}

void TPrintDigitalSeries::Prepare(TRenderDevice& device) {
    FDescr.Flags.Include(TSeriesFlag::sfNeedCache);
    SetStateFlag(psCanSetup, true);
    TPrintSeries::Prepare(device);
}

bool TPrintDigitalSeries::Setup(TRenderDevice* device) {
    if (!RunItemSetupDialog(*this, device)) return false;
    FPageCache.clear();
    return true;
}

void TPrintDigitalSeries::ChooseRows(const TSeriesCacheEntry& entry, TSeriesCache& rows) const {
    const TDataSegment& values = *entry.XSegment;
    const TDataSegment& index = *entry.YSegment;
    const auto choose = [&](int row) {
        TSeriesCacheEntry single = entry;
        single.StartIndex = single.StopIndex = row;
        rows.push_back(single);
    };
    if (!FByChanging) {
        const double c = IsDateTime(&index) ? FStep / 1440 : FStep;
        if (!(c > 0)) return;
        // The first threshold lies strictly above the run's first index.
        double threshold = c * (std::floor((index.GetAsDouble(entry.StartIndex) + StepTolerance) / c) + 1);
        for (int row = entry.StartIndex; row <= entry.StopIndex; ++row) {
            const double at = index.GetAsDouble(row);
            if (at + StepTolerance < threshold) continue;
            choose(row);
            threshold = c * (std::floor((at + StepTolerance) / c) + 1);
        }
        return;
    }
    if (qobject_cast<const TStringDataSegment*>(&values)) {
        for (int row = entry.StartIndex; row <= entry.StopIndex; ++row) choose(row);
        return;
    }
    const bool dates = IsDateTime(&values);
    const double c = dates ? FStep / 1440 : FStep;
    if (!(c > 0)) return;
    bool haveReference = false;
    double reference = 0;
    for (int row = entry.StartIndex; row <= entry.StopIndex; ++row) {
        const double value = values.GetAsDouble(row);
        if (std::isnan(value) || (dates && value <= 0)) continue;
        if (!haveReference) {
            reference = std::floor(value / c) * c;
            haveReference = true;
            continue;
        }
        if (std::abs(value - reference) < c) continue;
        choose(row);
        reference = std::trunc(value / c) * c;
    }
}

void TPrintDigitalSeries::BuildPageCache(TRenderDevice& device) {
    const TSketchDocument* doc = GetSketchDocument();
    ResetPageCache(doc ? doc->PageCount() : 0);
    const int pages = int(FPageCache.size());
    // Only the index is projected: the value range does not matter here.
    if (pages == 0 || !(FYScale > 0)) return;
    for (const TSeriesCacheEntry& entry : FBlockCache) {
        int first = 1, last = 1;
        GetCacheEntryStartStopPage(device, entry, last, first);
        // Rows near a page edge may be written across it.
        first = std::max(1, first - 1);
        last = std::min(pages, last + 1);
        TSeriesCache rows;
        ChooseRows(entry, rows);
        for (int page = first; page <= last; ++page) {
            TSeriesCache& list = FPageCache[size_t(page - 1)];
            list.insert(list.end(), rows.begin(), rows.end());
        }
    }
}

void TPrintDigitalSeries::DoRender(TRenderDevice& device) {
    const TSketchDocument* doc = GetSketchDocument();
    const TPrintField* field = GetPrintField();
    if (!doc || !field || doc->Scale() <= 0 || FStep <= 0 || !(FYScale > 0) || !device.Canvas()) return;
    if (FPageCache.empty()) BuildPageCache(device);
    const TSeriesCache* list = CurrentPageList(device);
    if (!list) return;
    QPainter& canvas = *device.Canvas();
    const QString format = ValueFormat();
    TFont font;
    font.Assign(FFont);
    font.SetColor(Color());
    TFont small;
    small.Assign(&font);
    small.SetSize(int(Trunc(font.Size() / 1.5)));
    device.SetScaledFont(font);
    canvas.setPen(QPen(ColorToQColor(Color()), 1));
    canvas.setBrush(Qt::NoBrush);
    const int h = device.TextHeight(font, format) / 2;
    const double x = field->Bounds().left() + FOffset;
    const int right = device.Prj(field->Bounds().left() + field->Width(), 0).x();
    const QString prefix = FShowPrefix ? Caption() + QStringLiteral(" = ") : QString();
    int limit = -100;
    const TDataSegment* lastIndex = nullptr;
    for (const TSeriesCacheEntry& entry : *list) {
        if (entry.YSegment != lastIndex) {
            limit = -100;
            lastIndex = entry.YSegment;
        }
        const int row = entry.StartIndex;
        const QPoint p = device.Prj(x, PrjDataY(entry.YSegment->GetAsDouble(row)));
        canvas.drawLine(p.x(), p.y(), p.x() + 3, p.y());
        canvas.drawLine(p.x(), p.y() + 1, p.x() + 3, p.y() + 1);
        const TDataSegment& values = *entry.XSegment;
        if (qobject_cast<const TStringDataSegment*>(&values)) {
            const QRect box(QPoint(p.x() + 5, p.y()), QPoint(right, device.PageBounds.bottom()));
            canvas.save();
            canvas.setPen(ColorToQColor(Color()));
            canvas.drawText(box, int(Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap), values.GetAsString(row));
            canvas.restore();
        } else if (IsDateTime(&values)) {
            const double value = values.GetAsDouble(row);
            const QString text = FShowDate ? DateToStr(value) : FormatDateTime(QStringLiteral("hh:nn"), value);
            device.TextOutPx(QPoint(p.x() + 5, p.y() - h), prefix + text);
            if (!FShowDate) {
                device.SetScaledFont(small);
                device.TextOutPx(QPoint(p.x() + 5, p.y() + h), DateToStr(value));
                device.SetScaledFont(font);
            }
        } else if (p.y() - h >= limit) {
            // Numbers that would overlap the one above are left out.
            device.TextOutPx(QPoint(p.x() + 5, p.y() - h),
                             prefix + FormatFloat(format, values.GetAsDouble(row)) + Units());
            limit = p.y() + h;
        }
    }
}

int TPrintDigitalSeries::GetHeaderSize(const TRenderDevice& device, int) const {
    if (HasFlag(TSeriesFlag::sfHideHeader)) return 0;
    const TPrintField* field = GetPrintField();
    return device.TextHeight(field ? *field->Font() : *FFont, QStringLiteral("W"));
}

void TPrintDigitalSeries::ShowHeaderLine(TRenderDevice& device, QRect& hdrRect) {
    if (HasFlag(TSeriesFlag::sfHideHeader) || !device.Canvas()) return;
    QPainter& canvas = *device.Canvas();
    const TPrintField* field = GetPrintField();
    TFont font;
    font.Assign(field ? field->Font() : FFont);
    font.SetColor(BlackCaption() ? clBlack : Color());
    device.SetScaledFont(font);
    const int h = device.TextHeight(font, QStringLiteral("W"));
    canvas.fillRect(QRect(QPoint(hdrRect.left() + 2, hdrRect.top() + 2), QPoint(hdrRect.left() + h - 3, hdrRect.top() + h - 3)),
                    ColorToQColor(Color()));
    QString text = Caption();
    if (!Units().isEmpty()) text += QStringLiteral(" (") + Units() + QLatin1Char(')');
    device.TextOutPx(QPoint(hdrRect.left() + h + 5, hdrRect.top()), text);
    hdrRect.setTop(hdrRect.top() + h);
}

WK_REGISTER_CLASS(TPrintDigitalSeries)

}  // namespace Plotmere
