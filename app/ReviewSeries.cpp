#include "ReviewSeries.h"

#include "ClassRegistry.h"
#include "KXLinePath.h"
#include "SketchDocStub.h"
#include "WKConsts.h"
#include "WKDataStructures.h"
#include "UIServices.h"
#include "fr_ChartSeries.h"

#include <QPainter>
#include <cmath>

using namespace Plotmere;

WK_REGISTER_CLASS(TExLineSeries)
WK_REGISTER_CLASS(TExpressionLineSeries)
WK_REGISTER_CLASS(TWKDigitalReviewSeries)

namespace {
// Longest run: one polyline stays bounded.
constexpr int RunLimit = 3000;
// Points per run while a scale strip is dragged.
constexpr int DragPoints = 300;
constexpr double NoMin = 2147483647.0;
constexpr double NoMax = -2147483647.0;

bool IsFloatSegment(const TDataSegment& s) {
    const QMetaObject* m = s.metaObject();
    return m == &TDoubleDataSegment::staticMetaObject || m == &TSingleDataSegment::staticMetaObject;
}
}  // namespace

std::vector<std::pair<int, int>> SplitRuns(int count, const std::function<bool(int)>& isEmpty) {
    std::vector<std::pair<int, int>> runs;
    int runStart = 0;
    for (int i = 0; i < count; ++i) {
        const bool empty = isEmpty(i);
        if (!empty && i != count - 1 && i - runStart <= RunLimit) continue;
        if (i - runStart >= 2) runs.emplace_back(runStart, empty ? i - 1 : i);
        runStart = empty ? i + 1 : i;
    }
    return runs;
}

bool AutoRangeLimits(double& Min, double& Max) {
    const double span = Max - Min;
    if (!(span > 0) || !std::isfinite(span)) return false;
    double step = std::pow(10.0, std::floor(std::log10(span)));
    if (span / step < 1.1) step /= 10;
    const double lo = std::floor(Min / step) * step, hi = std::ceil(Max / step) * step;
    if (!std::isfinite(lo) || !std::isfinite(hi)) return false;
    Min = lo;
    Max = hi;
    return true;
}

// ---- TWKReviewBaseSeries ----

TWKReviewBaseSeries::TWKReviewBaseSeries(QObject* AOwner)
    : TSeries(AOwner), FVPArray(std::make_unique<TVirtualPointArray>()) {}

TWKReviewBaseSeries::~TWKReviewBaseSeries() = default;

TReviewDataDocument* TWKReviewBaseSeries::GetControlDocument(QObject* Control) {
    for (QObject* o = Control; o; o = o->parent())
        if (auto* doc = qobject_cast<ISketchDocInterface*>(o)) return doc->GetDocument();
    return nullptr;
}

TReviewDataDocument* TWKReviewBaseSeries::Document() const { return GetControlDocument(FChart); }

int TWKReviewBaseSeries::FindBlock(int After) {
    FXArray = nullptr;
    FArray = nullptr;
    TReviewDataDocument* doc = Document();
    if (!doc) return -1;
    TDataBlockList& blocks = doc->Blocks();
    const QString id = ID().toString();
    for (int i = std::max(After + 1, 0); i < blocks.Count(); ++i) {
        TDataBlock* b = blocks.GetBlock(i);
        if (b->SourceID() != FSourceID) continue;
        TDataSegment* main = b->GetMainSegment();
        TDataSegment* values = b->GetDataSegment(id);
        if (main && values) {
            FXArray = main;
            FArray = values;
            return i;
        }
    }
    return -1;
}

void TWKReviewBaseSeries::CacheRanges(double, double) {
    FCache.clear();
    for (int b = FindBlock(-1); b >= 0; b = FindBlock(b)) {
        TDataSegment* main = FXArray;
        TDataSegment* values = FArray;
        const int n = main->GetCount();
        // Columns of unequal length have no common rows to draw.
        if (n < 2 || values->GetCount() != n) continue;
        for (const auto& [first, last] : SplitRuns(n, [values](int i) { return values->GetIsEmpty(i); }))
            FCache.push_back({main, values, first, last});
    }
    FXArray = nullptr;
    FArray = nullptr;
}

void TWKReviewBaseSeries::SetCurrent(const TReviewRun& Run) {
    FXArray = Run.Main;
    FArray = Run.Values;
}

bool TWKReviewBaseSeries::VisibleRun(const TReviewRun& Run) const {
    if (!FChart || !Run.Main) return false;
    const TScale& xs = *FChart->XScale();
    const double x0 = Run.Main->GetAsDouble(Run.First), x1 = Run.Main->GetAsDouble(Run.Last);
    const auto inside = [&xs](double x) { return x >= xs.Min() && x <= xs.Max(); };
    return inside(x0) || inside(x1) || (std::min(x0, x1) < xs.Min() && std::max(x0, x1) > xs.Max());
}

void TWKReviewBaseSeries::Assign(const TSeries& Source) {
    if (auto* r = qobject_cast<const TWKReviewBaseSeries*>(&Source)) {
        FLFormat = r->FLFormat;
        FSourceID = r->FSourceID;
    }
    TSeries::Assign(Source);
}

QString TWKReviewBaseSeries::AsString(int Index) {
    try {
        if (!FArray || FArray->GetIsEmpty(Index)) return {};
        double v = FArray->GetAsDouble(Index);
        if (std::isnan(v)) return {};
        if (FA == 0) FA = 1;
        if (!(FA == 1 && FB == 0)) v = FA * v + FB;
        if (IsFloatSegment(*FArray)) return FloatToStrFixed7(v, FPrecision) + QLatin1Char(' ') + FUnits;
        return FArray->GetAsString(Index);
    } catch (const std::exception&) {
        return {};
    }
}

// ---- TExLineSeries ----

TExLineSeries::TExLineSeries(QObject* AOwner) : TWKReviewBaseSeries(AOwner) { FCaption = QStringLiteral("Line"); }

void TExLineSeries::Paint(QPainter& DC, TScale* Scale, QImage*) {
    FLastPoints = 0;
    if (!FChart || !Scale) return;
    if (FPen->Color() != Scale->PenColorValue()) {
        FPen->blockSignals(true);
        FPen->SetColor(Scale->PenColorValue());
        FPen->blockSignals(false);
    }
    QPen pen = Pen();
    pen.setCosmetic(true);
    DC.setPen(pen);
    DC.setBrush(Qt::NoBrush);
    TScaleControl* strip = Scale->Control();
    const bool fit = strip && strip->Tag() == 1;
    const double a = FA == 0 ? 1 : FA;
    double mn = NoMin, mx = NoMax;
    const bool down = IsVerticalAlign(FChart->XScale()->GetAlign());
    TLinePath& path = ChartLinePath();
    const TChartField* field = FChart->Fields().FindItemID(FFieldID);
    path.Begin(field && field->Client() ? field->Client()->rect() : DC.window(), down);
    for (const TReviewRun& run : FCache) {
        if (!run.Main || !run.Values) continue;
        try {
            SetCurrent(run);
            if (fit)
                for (int i = run.First; i <= run.Last; ++i) {
                    const double v = run.Values->GetAsDouble(i);
                    if (std::isnan(v)) continue;
                    // The scale shows displayed values.
                    const double shown = a * v + FB;
                    mn = std::min(mn, shown);
                    mx = std::max(mx, shown);
                }
            if (VisibleRun(run)) DrawRun(path, *Scale, run);
        } catch (const std::exception& e) {
            path.Break();
            DebugLog(QStringLiteral("TExLineSeries.Paint: run %1: %2").arg(run.First).arg(ExceptionMessage(e)));
        }
    }
    DrawLinePath(DC, path, down);
    if (fit) {
        strip->SetTag(0);
        if (AutoRangeLimits(mn, mx)) Scale->SetMinMax(mn, mx);
    }
}

void TExLineSeries::DrawRun(TLinePath& Path, TScale& Scale, const TReviewRun& Run) {
    // A run is drawn as the true line, clipped in floating point: its values go through
    // the chart's projection without the integer clamp.
    const bool dragging = TScaleControl::AnyHoldsCapture();
    const int step = dragging ? (Run.Last - Run.First) / DragPoints + 1 : 1;
    const int last = dragging ? Run.Last - 1 : Run.Last;
    const size_t n = static_cast<size_t>((last - Run.First) / step + 1);
    FRunX.resize(n);
    FRunY.resize(n);
    size_t k = 0;
    for (int i = Run.First; i <= last && k < n; i += step, ++k) {
        FRunX[k] = Run.Main->GetAsDouble(i);
        FRunY[k] = Run.Values->GetAsDouble(i);
    }
    Path.Break();
    FChart->AddSeriesPath(Path, &Scale, FA, FB, FRunX.data(), FRunY.data(), static_cast<int>(k));
    FLastPoints += static_cast<int>(k);
}

bool TExLineSeries::MouseDown(TScale* XScale, TScale* Scale, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                              int X, int Y) {
    if (Button != Qt::LeftButton || !FChart || !XScale || !Scale) return false;
    const bool valueVertical = IsVerticalAlign(Scale->GetAlign());
    const int alongX = valueVertical ? X : Y;
    const int alongV = valueVertical ? Y : X;
    const double a = FA == 0 ? 1 : FA;
    try {
        for (const TReviewRun& run : FCache) {
            if (!run.Main || !run.Values || !VisibleRun(run)) continue;
            SetCurrent(run);
            int prev = XScale->Prj(run.Main->GetAsDouble(run.First));
            for (int i = run.First + 1; i <= run.Last; ++i) {
                const int p = XScale->Prj(run.Main->GetAsDouble(i));
                if ((p >= alongX) == (prev >= alongX)) {
                    prev = p;
                    continue;
                }
                const double x0 = run.Main->GetAsDouble(i - 1), x1 = run.Main->GetAsDouble(i);
                const double y0 = run.Values->GetAsDouble(i - 1), y1 = run.Values->GetAsDouble(i);
                double x = x0, y = y0;
                if (p != prev) {
                    const double t = std::fabs(double(alongX - prev)) / std::fabs(double(p - prev));
                    x = x0 + (x1 - x0) * t;
                    y = y0 + (y1 - y0) * t;
                }
                const double shown = a * y + FB;
                if (!(Shift & Qt::ShiftModifier) && std::abs(Scale->Prj(shown) - alongV) > 7) break;
                FLabels.Add(x, shown, AsString(i - 1), Pen().color());
                return true;
            }
        }
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("TExLineSeries.MouseDown: %1").arg(ExceptionMessage(e)));
    }
    return false;
}

// ---- TWKDigitalReviewSeries ----

TWKDigitalReviewSeries::TWKDigitalReviewSeries(QObject* AOwner) : TWKReviewBaseSeries(AOwner), FFont(new TFont(this)) {
    FCaption = QStringLiteral("Digital");
}

void TWKDigitalReviewSeries::SetFontObject(TFont* Value) { FFont->Assign(Value); }

void TWKDigitalReviewSeries::Paint(QPainter& DC, TScale* Scale, QImage*) {
    FLastMarks.clear();
    FLastMarkIndices.clear();
    if (!FChart || !Scale) return;
    TScale& xs = *FChart->XScale();
    double step = FStep;
    if (xs.AsDateTime() && FByMainParam) step /= 1440.0;
    // A step that is not a positive number would never advance.
    if (!(step > 0) || !std::isfinite(step)) return;
    DC.setFont(FFont->ToQFont());
    DC.setPen(Scale->PenColor());
    DC.setBackgroundMode(Qt::TransparentMode);
    const QFontMetrics fm(DC.font());
    const int halfZero = fm.boundingRect(QStringLiteral("0")).height() / 2;
    const bool vertical = FChart->Orientation() == coVertical;
    double last = NoMax;
    QRect lastBox;
    for (const TReviewRun& run : FCache) {
        try {
            if (!run.Main || !run.Values || run.Last - run.First + 1 < 2 || !VisibleRun(run)) continue;
            SetCurrent(run);
            TDataSegment* tracked = FByMainParam ? run.Main.data() : run.Values.data();
            for (int i = run.First; i <= run.Last; ++i) {
                const double w = tracked->GetAsDouble(i);
                if (std::isnan(w) || std::fabs(w - std::floor(last / step) * step) < step) continue;
                last = w;
                const QString text = AsString(i);
                const int xp = xs.Prj(run.Main->GetAsDouble(i)), vp = Scale->Prj(0.0);
                const QSize size = fm.size(Qt::TextSingleLine, text);
                const QRect box = vertical ? QRect(QPoint(vp, xp - halfZero), size) : QRect(QPoint(xp, vp), size);
                if (!lastBox.isNull() && box.intersects(lastBox)) continue;
                DC.drawText(box, int(Qt::TextSingleLine) | int(Qt::AlignLeft) | int(Qt::AlignTop), text);
                FLastMarks.push_back(box);
                FLastMarkIndices.push_back(i);
                lastBox = box;
            }
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TWKDigitalReviewSeries.Paint: %1").arg(ExceptionMessage(e)));
        }
    }
}

void TWKDigitalReviewSeries::Setup(TScale* Scale) {
    if (!Scale) return;
    const auto& dialog = ReviewSetupDialogs().DigitalSeries;
    if (!dialog) {
        MessageDlg(SSetupUnavailable, mtInformation, mbOK);
        return;
    }
    if (dialog(*this, *Scale) && FChart) FChart->ForceRepaint();
}

TReviewSetupDialogs& ReviewSetupDialogs() {
    static TReviewSetupDialogs dialogs;
    return dialogs;
}
