#include "fr_ChartSeries.h"

#include "ClassRegistry.h"
#include "DebugOutput.h"
#include "KXColumnThin.h"
#include "KXLinePath.h"
#include "Kurvex.h"
#include "WKServices.h"
#include "WKUDF.h"
#include "fr_Chart.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>
#include <cstdlib>

namespace {
constexpr int ChunkRecords = 3000;
constexpr int ThinnedPoints = 300;
// Pixels beyond which a digital mark cannot reach into a plot area.
constexpr double MarkReach = 1e6;
}  // namespace

std::vector<QPoint>& ChartPointBuffer(size_t MinSize) {
    static std::vector<QPoint> buffer(ChunkRecords + 1);
    if (buffer.size() < MinSize) buffer.resize(MinSize);
    return buffer;
}

TColumnSpanBuffers& ChartSpanBuffers() {
    static TColumnSpanBuffers buffers;
    return buffers;
}

TLinePath& ChartLinePath() {
    static TLinePath path;
    return path;
}

void DrawLinePath(QPainter& DC, TLinePath& Path, bool Vertical) {
    Path.End();
    // A dozen records share a pixel column in a two-hour window: a thin solid line is
    // drawn column by column.
    const bool spans = ColumnSpansFit(DC);
    const QPoint* points = Path.Points().data();
    for (const auto& [start, n] : Path.Pieces()) {
        const QPoint* piece = points + start;
        if (n == 1) DC.drawPoint(piece[0]);
        else if (spans) DrawPolylineColumns(DC, piece, n, Vertical, ChartSpanBuffers());
        else DC.drawPolyline(piece, n);
    }
}

// --- binding ---

TWKChart* TWKChartBaseSeries::WKChart() const { return qobject_cast<TWKChart*>(FChart.data()); }

int TWKChartBaseSeries::RecordCount() const {
    return FXData && FYData ? std::min(FXData->GetCount(), FYData->GetCount()) : 0;
}

void TWKChartBaseSeries::ClearLinks() { FXData = nullptr; }

TSensorDataArray* TWKChartBaseSeries::FindYData(TWKStreamList& Streams) {
    return Streams.FindSensor(FGID, QStringLiteral("SrcTime"));
}

void TWKChartBaseSeries::UpdateData(bool) {}

bool TWKChartBaseSeries::Link() {
    if (!SecondaryServices) return false;
    if (FXData && FYData) return true;
    const TWKChart* chart = WKChart();
    const QString suffix = chart && !chart->StreamSuffix().isEmpty() ? QLatin1Char('.') + chart->StreamSuffix() : QString();
    TWKStreamList& list = SecondaryServices->Streams();
    if (!FStreamID.isEmpty()) {
        TSensorDataStream* s = list.GetStreamByID(FStreamID + suffix);
        if (!s) return false;
        FXData = s->MainDataArray();
        FYData = s->GetSensor(FGID);
    } else {
        TSensorDataArray* y = FindYData(list);
        if (!y) return false;
        FYData = y;
        FXData = y->GetStream() ? y->GetStream()->MainDataArray() : nullptr;
    }
    return FXData && FYData;
}

// --- line ---

void TWKChartSeries::Loaded() {
    TWKChartBaseSeries::Loaded();
    const TScale* scale = GetChartScale();
    if (FPen->Color() == clBlack && scale && scale->PenColorValue() != clBlack) FPen->SetColor(scale->PenColorValue());
}

TScale* TWKChartSeries::GetChartScale() const {
    if (!FChart) return nullptr;
    TChartField* field = FChart->Fields().FindItemID(FFieldID);
    return field ? field->Scales().FindItemID(FScaleID) : nullptr;
}

void TWKChartSeries::GetMinMaxXValues(double& Mn, double& Mx) {
    Mn = Mx = NAN;
    const int n = RecordCount();
    if (n == 0) return;
    Mn = FXData->GetValue(0);
    Mx = FXData->GetValue(n - 1);
    for (int i = FLabels.Count() - 1; i >= 0; --i) {
        const double x = FLabels.GetLabel(i)->X;
        if (x < Mn || x > Mx) FLabels.Delete(i);
    }
}

void TWKChartSeries::GetMinMaxYValues(double& Mn, double& Mx) {
    Mn = 2147483647.0;
    Mx = -2147483647.0;
    const int n = RecordCount();
    for (int i = 0; i < n; ++i) {
        if (FYData->GetState(i) < ssNormal) continue;
        const double v = FYData->GetValue(i);
        if (std::isnan(v)) continue;
        Mn = std::min(Mn, v);
        Mx = std::max(Mx, v);
    }
}

void TWKChartSeries::FitScale(TScale& Scale) {
    double mn, mx;
    GetMinMaxYValues(mn, mx);
    // No usable sample, or a flat line: the scale keeps its range.
    if (!(mx > mn)) return;
    double p = std::pow(10.0, std::floor(std::log10(mx - mn)));
    if ((mx - mn) / p < 1.1) p /= 10;
    Scale.SetMinMax(std::floor(mn / p) * p, std::ceil(mx / p) * p);
}

void TWKChartSeries::Paint(QPainter& DC, TScale* Scale, QImage*) {
    FLastPoints = 0;
    if (!FChart || !Scale || !Link()) return;
    if (TScaleControl* strip = Scale->Control(); strip && strip->Tag() == 1) {
        strip->SetTag(0);
        try {
            FitScale(*Scale);
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TWKChartSeries.Paint: fit: %1").arg(QString::fromUtf8(e.what())));
        }
    }
    const int count = RecordCount();
    if (count < 2) return;
    DC.setPen(Pen());
    DC.setBrush(Qt::NoBrush);
    double shown = 0;
    FYData->AsString(count - 1, FA, FB, FPrecision, FUnits, shown);
    Scale->SetDisplayValuePrecision(FPrecision);
    Scale->SetDisplayValue(shown);
    const TScale& xs = *FChart->XScale();
    const bool thin = TScaleControl::AnyHoldsCapture();
    const bool vertical = FChart->Orientation() == coVertical;
    const double* xv = FXData->GetDataPointer();
    TLinePath& path = ChartLinePath();
    const TChartField* field = FChart->Fields().FindItemID(FFieldID);
    path.Begin(field && field->Client() ? field->Client()->rect() : DC.window(), vertical);
    int p = 0, q = 0, lastDrawn = -1;
    while (q < count - 1) {
        q = std::min(q + ChunkRecords, count - 1);
        const double x0 = xv[p], x1 = xv[q];
        const bool visible = (x0 >= xs.Min() && x0 <= xs.Max()) || (x1 >= xs.Min() && x0 <= xs.Max()) ||
                             (x0 < xs.Min() && x1 > xs.Max());
        if (visible) {
            try {
                // A chunk that continues the one drawn before shares its first record with that one's last.
                const bool continues = lastDrawn == p;
                if (!continues) path.Break();
                FLastPoints += thin ? AddThinned(path, *Scale, p, q) : AddRecords(path, *Scale, p, q, continues);
                lastDrawn = q;
            } catch (const std::exception& e) {
                path.Break();
                DebugLog(QStringLiteral("TWKChartSeries.Paint: chunk %1: %2").arg(p).arg(QString::fromUtf8(e.what())));
            }
        }
        p = q;
    }
    DrawLinePath(DC, path, vertical);
    DC.setBrush(Qt::SolidPattern);
}

bool TWKChartSeries::Usable(int i) const { return FYData->GetState(i) >= ssNormal; }

int TWKChartSeries::AddRecords(TLinePath& Path, TScale& Scale, int P, int Q, bool Continues) {
    const double* xv = FXData->GetDataPointer();
    const double* yv = FYData->GetDataPointer();
    int run = Continues ? P + 1 : P;
    for (int i = run; i <= Q; ++i) {
        if (Usable(i)) continue;
        // An error or empty sample ends the line; the next good one starts another.
        if (i > run) FChart->AddSeriesPath(Path, &Scale, FA, FB, xv + run, yv + run, i - run);
        Path.Break();
        run = i + 1;
    }
    if (run <= Q) FChart->AddSeriesPath(Path, &Scale, FA, FB, xv + run, yv + run, Q - run + 1);
    return Q - P + 1;
}

int TWKChartSeries::AddThinned(TLinePath& Path, TScale& Scale, int P, int Q) {
    const double* xv = FXData->GetDataPointer();
    const double* yv = FYData->GetDataPointer();
    const int e = (Q - P) / ThinnedPoints + 1;
    std::vector<double> xs, ys;
    xs.reserve(ThinnedPoints * 2);
    ys.reserve(ThinnedPoints * 2);
    auto flush = [&] {
        FChart->AddSeriesPath(Path, &Scale, FA, FB, xs.data(), ys.data(), static_cast<int>(xs.size()));
        xs.clear();
        ys.clear();
    };
    int n = 0;
    for (int i = P; i < Q; ++i) {
        if (!Usable(i)) {
            flush();
            Path.Break();
            continue;
        }
        // Every e-th record, and the records either side of a gap, so that the gap keeps its width.
        const bool edge = (i > P && !Usable(i - 1)) || (i + 1 < Q && !Usable(i + 1));
        if ((i - P) % e != 0 && !edge) continue;
        xs.push_back(xv[i]);
        ys.push_back(yv[i]);
        ++n;
    }
    flush();
    return n;
}

bool TWKChartSeries::MouseDown(TScale*, TScale* Scale, Qt::MouseButton Button, Qt::KeyboardModifiers Shift, int X,
                               int Y) {
    if (Button != Qt::LeftButton || !FChart || !Scale || !Link()) return false;
    const int count = RecordCount();
    if (count < 2) return false;
    std::vector<QPoint>& pts = ChartPointBuffer(static_cast<size_t>(FXData->GetCapacity()) + 1);
    FChart->PrjSeries(Scale, FA, FB, FXData->GetDataPointer(), FYData->GetDataPointer(), count, pts.data());
    const bool vertical = FChart->Orientation() == coVertical;
    const int click = vertical ? Y : X;
    auto along = [&](int i) { return vertical ? pts[static_cast<size_t>(i)].y() : pts[static_cast<size_t>(i)].x(); };
    int found = -1;
    for (int i = 1; i < count && found < 0; ++i)
        if ((along(i) >= click) != (along(i - 1) >= click)) found = i;
    if (found < 0) return false;
    const int r = found - 1;
    double value = 0;
    const QString text = FYData->AsString(r, FA, FB, FPrecision, FUnits, value);
    if (text.isEmpty()) return true;
    const int across = vertical ? X : Y;
    if (!(Shift & Qt::ShiftModifier) && std::abs(Scale->Prj(value) - across) > 7) return true;
    FLabels.Add(FXData->GetValue(r), value, text, Scale->PenColor());
    return true;
}

// --- formulas ---

TUDFDataArray* UpdateFormulaArray(bool IsDateTime, const QString& FormulaText) {
    TSensorDataStream* stream = FormulaStream(IsDateTime);
    if (!stream || FormulaText.isEmpty()) return nullptr;
    TUDFDataArray* udf = FindFormulaArray(stream, FormulaText);
    if (!udf) {
        udf = stream->CreateSensor<TUDFDataArray>(-1);
        udf->SetFormulaText(FormulaText);
    }
    udf->Bind(SecondaryServices->Streams());
    return udf;
}

namespace {
bool ChartIsDateTime(const TSeries& s) { return s.Chart() && s.Chart()->XScale()->AsDateTime(); }

// A formula that does not parse leaves its series unbound.
TUDFDataArray* BoundFormula(const TSeries& s, const QString& text) {
    try {
        TUDFDataArray* udf = UpdateFormulaArray(ChartIsDateTime(s), text);
        return udf && udf->Expression() ? udf : nullptr;
    } catch (const std::exception& e) {
        DebugLog(QStringLiteral("%1.UpdateDataArray: %2").arg(QString::fromLatin1(s.metaObject()->className()),
                                                              QString::fromUtf8(e.what())));
        return nullptr;
    }
}

void UpdateFormula(const TSeries& s, const QString& text, bool Reset) {
    TUDFDataArray* udf = FindFormulaArray(FormulaStream(ChartIsDateTime(s)), text);
    if (!udf || !udf->Expression()) return;
    if (Reset) udf->ResetData();
    udf->UpdateData();
}
}  // namespace

TWKExpressionSeries::TWKExpressionSeries(QObject* AOwner, const QString& aFormulaText) : TWKChartSeries(AOwner) {
    FFormulaText = aFormulaText;
}

void TWKExpressionSeries::ClearLinks() {
    BoundFormula(*this, FFormulaText);
    TWKChartSeries::ClearLinks();
}

TSensorDataArray* TWKExpressionSeries::FindYData(TWKStreamList&) { return BoundFormula(*this, FFormulaText); }

void TWKExpressionSeries::UpdateData(bool Reset) { UpdateFormula(*this, FFormulaText, Reset); }

void TWKExpressionSeries::SetFormulaText(const QString& Value) {
    FFormulaText = Value;
    FYData = nullptr;
    ClearLinks();
    UpdateData(true);
    FLabels.Clear();
}

TWKDigitalExpressionSeries::TWKDigitalExpressionSeries(QObject* AOwner, const QString& aFormulaText)
    : TWKDigitalSeries(AOwner) {
    FFormulaText = aFormulaText;
}

void TWKDigitalExpressionSeries::ClearLinks() {
    BoundFormula(*this, FFormulaText);
    TWKDigitalSeries::ClearLinks();
}

TSensorDataArray* TWKDigitalExpressionSeries::FindYData(TWKStreamList&) { return BoundFormula(*this, FFormulaText); }

void TWKDigitalExpressionSeries::UpdateData(bool Reset) { UpdateFormula(*this, FFormulaText, Reset); }

void TWKDigitalExpressionSeries::SetFormulaText(const QString& Value) {
    FFormulaText = Value;
    FYData = nullptr;
    ClearLinks();
    UpdateData(true);
}

// --- digital marks ---

TWKDigitalSeries::TWKDigitalSeries(QObject* AOwner) : TWKChartBaseSeries(AOwner), FFont(new TFont(this)) {}

void TWKDigitalSeries::Paint(QPainter& DC, TScale* Scale, QImage*) {
    FLastMarks.clear();
    if (!FChart || !Scale || !Link()) return;
    const int count = RecordCount();
    if (count < 2) return;
    TScale& xs = *FChart->XScale();
    double step = FStep;
    if (xs.AsDateTime() && FByMainParam) step /= 1440.0;
    // A step that is not a positive number would never advance.
    if (!(step > 0) || !std::isfinite(step)) return;
    DC.setFont(FFont->ToQFont());
    DC.setPen(Scale->PenColor());
    DC.setBrush(Qt::NoBrush);
    TSensorDataArray* walked = FByMainParam ? FXData : FYData;
    const bool vertical = FChart->Orientation() == coVertical;
    const QFontMetrics fm(DC.font());
    const int halfZero = fm.boundingRect(QStringLiteral("0")).height() / 2;
    double last = -2147483647.0;
    QRect lastBox;
    int i = 0;
    while (true) {
        const double base = std::floor(last / step) * step;
        int mark = -1;
        for (; i < count; ++i) {
            const TSensorState st = FYData->GetState(i);
            if (st == ssEmpty || st == ssError) continue;
            const double w = walked->GetValue(i);
            if (std::isnan(w)) continue;
            if (std::fabs(w - base) >= step) {
                mark = i;
                break;
            }
        }
        if (mark < 0) break;
        last = walked->GetValue(mark);
        ++i;
        double value = 0;
        const QString text = FYData->AsString(mark, FA, FB, FPrecision, FUnits, value);
        // Positions in floating point: a mark far outside the plot area is not seen,
        // and none is pressed against the edge of a clamped projection.
        const double xpos = xs.PrjValue(FXData->GetValue(mark)), vpos = Scale->PrjValue(0);
        if (!(std::fabs(xpos) < MarkReach && std::fabs(vpos) < MarkReach)) continue;
        const int xp = static_cast<int>(std::nearbyint(xpos)), vp = static_cast<int>(std::nearbyint(vpos));
        const QSize size = fm.size(Qt::TextSingleLine, text);
        const QRect box = vertical ? QRect(QPoint(vp, xp - halfZero), size) : QRect(QPoint(xp, vp), size);
        if (!lastBox.isNull() && box.intersects(lastBox)) continue;
        DC.drawText(box, int(Qt::TextSingleLine) | int(Qt::AlignLeft) | int(Qt::AlignTop), text);
        FLastMarks.push_back(box);
        lastBox = box;
    }
}

// --- comments ---

TWKCommentSeries::TWKCommentSeries(QObject* AOwner) : TSeries(AOwner) { SetFID(QStringLiteral("Comments")); }

void TWKCommentSeries::Paint(QPainter& DC, TScale*, QImage*) {
    if (!FChart) return;
    DC.setBrush(Qt::NoBrush);
    const TScale& xs = *FChart->XScale();
    const QFontMetrics fm(DC.font());
    for (const TChartComment& c : FComments) {
        DC.setPen(c.Color);
        DC.drawText(QPoint(xs.Prj(c.X), c.Y + fm.ascent()), c.Text);
    }
}

WK_REGISTER_CLASS(TWKChartSeries)
WK_REGISTER_CLASS(TWKDigitalSeries)
WK_REGISTER_CLASS(TWKExpressionSeries)
WK_REGISTER_CLASS(TWKDigitalExpressionSeries)
