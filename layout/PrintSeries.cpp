// What every curve shares: data binding, the block and page caches, the
// projections, the automatic range and the header line.
#include "PrintSeries.h"

#include "WKConsts.h"

#include <QPainter>
#include <cmath>
#include <limits>

namespace Plotmere {

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

// A device coordinate cut to the range the canvas is given; NaN goes low.
int ClampPx(double v, double lo, double hi) {
    if (!(v >= lo)) return int(lo);
    if (v > hi) return int(hi);
    return int(Round(v));
}

// The exponent e of x written as 0.d1d2... x 10^e.
double DecimalExponent(double x) { return std::floor(std::log10(std::abs(x))) + 1; }
}  // namespace

TPrintSeries::TPrintSeries(QObject* owner) : TPrintDBItem(owner), FFont(new TFont(this)) {
    FFont->SetName(QStringLiteral("Arial"));
    FFont->SetCharset(RUSSIAN_CHARSET);
    FFont->SetSize(10);
}

TPrintSeries::~TPrintSeries() = default;

void TPrintSeries::ClearCaches() {
    FBlockCache.clear();
    FPageCache.clear();
}

void TPrintSeries::RegisterParams(const QString& source, const QString& group, QStringList& gids) {
    if (source == FDescr.SourceID && group == Group()) gids << FDescr.ID;
}

void TPrintSeries::DataLoaded() {
    if (HasFlag(TSeriesFlag::sfNeedCache)) BuildCacheLevel1();
}

void TPrintSeries::Prepare(TRenderDevice& device) {
    if (FDescr.Min > FDescr.Max) FDescr.Flags.Include(TSeriesFlag::sfInverted);
    else FDescr.Flags.Exclude(TSeriesFlag::sfInverted);
    FCanPrj = InitPrjModifiers();
    const TSketchDocument* doc = GetSketchDocument();
    if (doc && doc->NeedsDataRebuild()) DataLoaded();
    FPageCache.clear();
    SetStateFlag(psSelectable, true);
    TPrintDBItem::Prepare(device);
}

void TPrintSeries::Render(TRenderDevice& device) {
    const TPrintField* field = GetPrintField();
    if (!field || !device.Canvas()) return;
    if (HasFlag(TSeriesFlag::sfNeedCache) && FBlockCache.empty()) BuildCacheLevel1();
    if (HasFlag(TSeriesFlag::sfNeedPageCache) && FPageCache.empty()) BuildCacheLevel2(device);
    const QRect client = field->ClientRect();
    QPainter& canvas = *device.Canvas();
    canvas.save();
    const TClipRgn old = device.Clip(client.left(), client.top(), client.left() + client.width(),
                                     client.top() + client.height(), true);
    try {
        DoRender(device);
    } catch (const std::exception& e) {
        // A curve that cannot draw leaves the rest of the page intact.
        DebugLog(QStringLiteral("TPrintSeries.Render: %1: %2").arg(FDescr.Name, ExceptionMessage(e)));
    }
    device.RestoreClipRgn(old);
    canvas.restore();
}

void TPrintSeries::BuildCacheLevel1() {
    FBlockCache.clear();
    FPageCache.clear();
    const TSketchDocument* doc = GetSketchDocument();
    if (!doc) return;
    const TDataBlockList& blocks = doc->Blocks();
    for (int b = 0; b < blocks.Count(); ++b) {
        TDataBlock* block = blocks.GetBlock(b);
        if (block->SourceID() != FDescr.SourceID || block->Group() != Group()) continue;
        TDataSegment* values = block->GetDataSegment(FDescr.ID);
        // Pictures have no values to draw.
        if (!values || qobject_cast<TBitmapDataSegment*>(values)) continue;
        TDataSegment* index = block->GetMainSegment();
        const int count = values->GetCount();
        int start = -1;
        auto close = [&](int i) {
            const bool emptyAt = i >= count || values->GetIsEmpty(i);
            if (i - start >= 2 && index) FBlockCache.push_back({block, values, index, start, emptyAt ? i - 1 : i});
            // A run cut for length shares its last two rows with the next.
            start = emptyAt ? -1 : i - 1;
        };
        for (int i = 0; i < count; ++i) {
            const bool empty = values->GetIsEmpty(i);
            if (start < 0) {
                if (!empty) start = i;
                continue;
            }
            if (empty || i - start > 1000) close(i);
        }
        if (start >= 0) close(count);
    }
}

void TPrintSeries::ResetPageCache(int pageCount) { FPageCache.assign(size_t(std::max(pageCount, 0)), TSeriesCache()); }

void TPrintSeries::GetCacheEntryStartStopPage(const TRenderDevice& device, const TSeriesCacheEntry& entry,
                                              int& stopPage, int& startPage) const {
    const int pages = int(FPageCache.size());
    auto pageOf = [&](int row) {
        const double mm = PrjDataY(entry.YSegment->GetAsDouble(row));
        const double page = std::floor(mm / device.PageHeight) + 1;
        if (!(page >= 1)) return 1;
        return page > pages ? std::max(pages, 1) : int(page);
    };
    const int a = pageOf(entry.StartIndex), b = pageOf(entry.StopIndex);
    startPage = std::min(a, b);
    stopPage = std::max(a, b);
}

void TPrintSeries::BuildCacheLevel2(const TRenderDevice& device) {
    const TSketchDocument* doc = GetSketchDocument();
    ResetPageCache(doc ? doc->PageCount() : 0);
    if (FPageCache.empty() || !FCanPrj) return;
    for (const TSeriesCacheEntry& entry : FBlockCache) {
        int first = 1, last = 1;
        GetCacheEntryStartStopPage(device, entry, last, first);
        for (int page = first; page <= last; ++page) FPageCache[size_t(page - 1)].push_back(entry);
    }
}

const TSeriesCache* TPrintSeries::CurrentPageList(const TRenderDevice& device) const {
    const int page = device.PageNo();
    if (page < 1 || page > int(FPageCache.size())) return nullptr;
    return &FPageCache[size_t(page - 1)];
}

bool TPrintSeries::InitPrjModifiers() {
    const TPrintField* field = GetPrintField();
    const TSketchDocument* doc = GetSketchDocument();
    if (!field || !doc) return false;
    const double left = field->Bounds().left(), width = field->Width();
    const double a = FDescr.A, b = FDescr.B;
    if (FDescr.Min == FDescr.Max) {
        FXScale = 0;
    } else if (field->HasFlag(TFieldFlag::ffLogarithmic)) {
        if (FDescr.Min < 1e-9) FDescr.Min = 0.001;
        FXScale = (std::log10(FDescr.Max) - std::log10(FDescr.Min)) / width;
        const double m = a != 0 ? FDescr.Min / a : FDescr.Min;
        FXOffset = left - std::log10(m) / FXScale;
    } else {
        FXScale = (FDescr.Max - FDescr.Min) / width;
        FXOffset = left - FDescr.Min / FXScale;
        if (a != 0) {
            FXOffset += b / FXScale;
            FXScale /= a;
        }
    }
    FYScale = doc->Scale();
    FYOffset = field->ClientRect().top() - doc->Min() / FYScale;
    return FYScale > 0 && FXScale != 0 && std::isfinite(FXScale) && std::isfinite(FXOffset) && std::isfinite(FYOffset);
}

double TPrintSeries::PrjDataX(double value) const {
    const TPrintField* field = GetPrintField();
    if (!field || !field->HasFlag(TFieldFlag::ffLogarithmic)) return value / FXScale + FXOffset;
    const double v = FDescr.A != 0 ? value + FDescr.B : value;
    if (!(v > 0)) return -15000;
    const double l = std::log10(v);
    return std::isfinite(l) ? l / FXScale + FXOffset : -15000;
}

int TPrintSeries::PrjCacheEntry(const TRenderDevice& device, const TSeriesCacheEntry& entry) {
    const int n = entry.StopIndex - entry.StartIndex + 1;
    if (n <= 0) return 0;
    if (FPoints.size() < size_t(n)) FPoints.resize(size_t(n));
    const double xs = device.XResScl(), ys = device.YResScl(), yOfs = device.YMMOfs();
    const TPrintField* field = GetPrintField();
    const bool log = field && field->HasFlag(TFieldFlag::ffLogarithmic);
    const auto* singles = qobject_cast<const TSingleDataSegment*>(entry.XSegment);
    const auto* indices = qobject_cast<const TDoubleDataSegment*>(entry.YSegment);
    const bool raw = singles && indices && entry.StopIndex < singles->Length() && entry.StopIndex < indices->Length();
    if (raw) {
        // Straight from the raw arrays: the common case of long curves.
        const float* values = singles->Data();
        const double* index = indices->Data();
        for (int k = n - 1; k >= 0; --k) {
            const int row = entry.StartIndex + k;
            const double v = values[row];
            double x;
            if (log) x = PrjDataX(v) <= -15000 ? -1000 : PrjDataX(v) * xs;
            else x = v * (xs / FXScale) + FXOffset * xs;
            FPoints[size_t(k)] = QPoint(ClampPx(x, -1000, 30000),
                                        ClampPx((index[row] / FYScale + FYOffset - yOfs) * ys, -1000, 30000));
        }
        return n;
    }
    for (int k = n - 1; k >= 0; --k) {
        const int row = entry.StartIndex + k;
        const double x = PrjDataX(entry.XSegment->GetAsDouble(row)) * xs;
        const double y = (PrjDataY(entry.YSegment->GetAsDouble(row)) - yOfs) * ys;
        FPoints[size_t(k)] = QPoint(ClampPx(x, -30000, 30000), ClampPx(y, -30000, 30000));
    }
    return n;
}

void TPrintSeries::FindMinMax(double& min, double& max) const {
    min = NaN;
    max = NaN;
    for (const TSeriesCacheEntry& entry : FBlockCache)
        for (int row = entry.StartIndex; row <= entry.StopIndex; ++row) {
            double v;
            try {
                v = entry.XSegment->GetAsDouble(row);
            } catch (const std::exception&) {
                continue;
            }
            if (std::isnan(v)) continue;
            if (FDescr.A != 0) v = FDescr.A * v + FDescr.B;
            if (std::isnan(min) || !(v >= min)) min = v;
            if (std::isnan(max) || v > max) max = v;
        }
}

void TPrintSeries::AutoSetMinMax(bool setMin, bool setMax) {
    double min, max;
    FindMinMax(min, max);
    if (std::isnan(min) || std::isnan(max) || min == max) return;
    const QString oldText = GetAsText();
    const TPrintField* field = GetPrintField();
    if (field && field->HasFlag(TFieldFlag::ffLogarithmic)) {
        if (max <= 0) return;
        if (min <= 0) min = 1e-5;
        min = std::pow(10.0, DecimalExponent(min) - 1);
        max = std::pow(10.0, DecimalExponent(max));
    } else {
        const double p = std::pow(10.0, DecimalExponent(max - min) - 1);
        min = std::floor(min / p) * p;
        max = std::ceil(max / p) * p;
    }
    if (setMin) FDescr.Min = min;
    if (setMax) FDescr.Max = max;
    TPrintDocument* doc = GetDocument();
    if (!doc || GetAsText() == oldText) return;
    (new TPrintSetupAction(doc, this, oldText))->Finish();
    doc->Changed(dcContents);
}

QString TPrintSeries::ValueFormat() const {
    return FDescr.Precision > 0 ? QStringLiteral("0.") + QString(FDescr.Precision, QLatin1Char('#')) : QStringLiteral("0");
}

int TPrintSeries::GetHeaderSize(const TRenderDevice& device, int) const {
    if (HasFlag(TSeriesFlag::sfHideHeader)) return 0;
    const TPrintField* field = GetPrintField();
    const TFont& font = field ? *field->Font() : *FFont;
    const int w = device.TextHeight(font, QStringLiteral("W"));
    int size = w;  // the caption line
    if (!HasFlag(TSeriesFlag::sfHideMinMax) && !HasFlag(TSeriesFlag::sfMinMaxWithCaption)) size += w;
    if (HasFlag(TSeriesFlag::sfMinMaxWithCaption)) size += 3;
    return size;
}

void TPrintSeries::ShowHeaderLine(TRenderDevice& device, QRect& hdrRect) {
    if (HasFlag(TSeriesFlag::sfHideHeader) || !device.Canvas()) return;
    QPainter& canvas = *device.Canvas();
    const TPrintField* field = GetPrintField();
    const TFont& font = field ? *field->Font() : *FFont;
    QPen pen = canvas.pen();
    pen.setColor(ColorToQColor(FDescr.Color));
    pen.setWidth(1);
    canvas.setPen(pen);
    canvas.setBrush(Qt::NoBrush);
    TFont textFont;
    textFont.Assign(&font);
    if (!FBlackCap) textFont.SetColor(FDescr.Color);
    device.SetScaledFont(textFont);
    const QColor textColor = ColorToQColor(textFont.Color());
    QString text = FDescr.Name;
    if (!FDescr.Units.isEmpty()) text += QStringLiteral(" (") + FDescr.Units + QLatin1Char(')');
    const int h = device.TextHeight(font, QStringLiteral("W"));
    canvas.save();
    canvas.setPen(textColor);
    canvas.drawText(QRect(hdrRect.left(), hdrRect.top(), hdrRect.width(), h), int(Qt::AlignHCenter | Qt::AlignTop), text);
    canvas.restore();
    hdrRect.setTop(hdrRect.top() + h);
    if (HasFlag(TSeriesFlag::sfHideMinMax)) return;

    const int right = hdrRect.left() + hdrRect.width();
    QPen sample = pen;
    sample.setStyle(canvas.pen().style());
    canvas.setPen(sample);
    canvas.drawLine(hdrRect.left() + 2, hdrRect.top(), right - 2, hdrRect.top());
    canvas.drawLine(hdrRect.left() + 2, hdrRect.top() + 1, right - 2, hdrRect.top() + 1);
    canvas.setPen(pen);
    QRect range = hdrRect;
    if (HasFlag(TSeriesFlag::sfMinMaxWithCaption)) range.setTop(range.top() - h);
    const int inset = int(Round(device.XResScl()));
    range.adjust(inset, 0, -inset, 0);
    const QString format = QStringLiteral("0.") + QString(std::max(FDescr.Precision, 0), QLatin1Char('#'));
    canvas.save();
    canvas.setPen(textColor);
    canvas.drawText(QRect(range.left(), range.top(), range.width(), h), int(Qt::AlignLeft | Qt::AlignTop),
                    FormatFloat(format, FDescr.Min));
    canvas.drawText(QRect(range.left(), range.top(), range.width(), h), int(Qt::AlignRight | Qt::AlignTop),
                    FormatFloat(format, FDescr.Max));
    canvas.restore();
    if (HasFlag(TSeriesFlag::sfSubTicks) && field && field->Decades() > 1) {
        const int decades = field->Decades();
        const double left = field->Bounds().left(), width = field->Width();
        const bool log = field->HasFlag(TFieldFlag::ffLogarithmic);
        const double ratio = std::pow(10.0, (std::log10(FDescr.Max) - std::log10(FDescr.Min)) / decades);
        const QFontMetrics metrics(device.ScaledQFont(font));
        for (int k = 1; k < decades; ++k) {
            const double value = log ? FDescr.Min * std::pow(ratio, k) : FDescr.Min + k * (FDescr.Max - FDescr.Min) / decades;
            // Values that cannot be computed end the labels.
            if (!std::isfinite(value)) break;
            const int x = device.Prj(left + k * width / decades, 0).x();
            const QString label = FormatFloat(format, value);
            const int w = metrics.horizontalAdvance(label);
            canvas.save();
            canvas.setPen(textColor);
            canvas.drawText(QRect(x - w / 2, range.top(), w + 1, h), int(Qt::AlignLeft | Qt::AlignTop), label);
            canvas.restore();
            canvas.drawLine(x, range.top() - 4, x, range.top());
        }
    }
    hdrRect.setTop(hdrRect.top() + (HasFlag(TSeriesFlag::sfMinMaxWithCaption) ? 3 : h));
}

}  // namespace Plotmere
