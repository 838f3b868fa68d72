#include "KXSeries.h"

#include "Formatting.h"
#include "Kurvex.h"

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <exception>

int LabelsCapacity = 20;

namespace {
const QColor BtnShadowColor(0xA0, 0xA0, 0xA0);
const QColor BtnHighlightColor(0xFF, 0xFF, 0xFF);
constexpr int ChunkPoints = 3000;
}  // namespace

// --- TLabelsList ---

void TLabelsList::Add(std::unique_ptr<TChartLabel> Label) {
    if (FCapacity > 0 && Count() >= FCapacity) FItems.erase(FItems.begin());
    FItems.push_back(std::move(Label));
}

void TLabelsList::Add(double X, double Y, const QString& Text, const QColor& Color) {
    Add(std::make_unique<TChartLabel>(X, Y, Text, Color));
}

void TLabelsList::Delete(int Index) {
    if (Index < 0 || Index >= Count()) return;
    FItems.erase(FItems.begin() + Index);
}

void TLabelsList::Remove(const TChartLabel* Label) {
    const auto it = std::find_if(FItems.begin(), FItems.end(), [Label](const auto& p) { return p.get() == Label; });
    if (it != FItems.end()) FItems.erase(it);
}

// --- TSeries ---

TSeries::TSeries(QObject* AOwner) : TComponent(AOwner), FPen(new TPen(this)), FLabels(LabelsCapacity) {
    connect(FPen, &TPersistent::Changed, this, &TSeries::Changed);
}

TComponentBase* TSeries::GetParentComponent() const { return FChart.data(); }

void TSeries::SetParentComponent(TComponentBase* Parent) {
    auto* chart = Parent ? qobject_cast<TGraphion*>(Parent->Self()) : nullptr;
    if (chart == FChart) return;
    if (FChart) FChart->RemoveSeries(this);
    if (chart) chart->InsertSeries(this);
    // A series read inside a chart belongs to the chart, as the chart's
    // commands make it; a named one stays with the root, where references
    // find it by its name.
    if (chart && IsLoading() && Name().isEmpty() && Owner() != chart) SetOwner(chart);
}

TSeries::~TSeries() {
    if (FChart) FChart->RemoveSeries(this);
}

bool TSeries::Loading() const { return FChart && FChart->IsComponentLoading(); }

void TSeries::ResolveIDs() {
    if (!FChart) return;
    try {
        if (FFieldInd >= 0 && FFieldInd < FChart->Fields().Count()) {
            TChartField* f = FChart->Fields().Items(FFieldInd);
            FFieldID = f->ID();
            if (FScaleInd < 0) FScaleID = -1;
            else if (FScaleInd < f->Scales().Count()) FScaleID = f->Scales().Items(FScaleInd)->ID();
            else FScaleID = -2;  // a scale that does not exist: the chart frees the series
        } else {
            FFieldID = -1;
        }
    } catch (const std::exception&) {
    }
}

void TSeries::SetChart(TGraphion* Value) {
    FChart = Value;
    if (FChart && FFieldInd >= 0) ResolveIDs();
}

void TSeries::Assign(const TSeries& Source) {
    FCaption = Source.FCaption;
    FID = Source.FID;
    FXID = Source.FXID;
    FFieldInd = Source.FFieldInd;
    FScaleInd = Source.FScaleInd;
    FPen->Assign(Source.FPen);
    if (FChart) ResolveIDs();
    Changed();
}

void TSeries::SetFieldInd(int Value) {
    if (!FChart) {
        FFieldInd = Value;
        return;
    }
    try {
        if (Value < 0 || Value >= FChart->Fields().Count()) return;
        FFieldInd = Value;
        FFieldID = FChart->Fields().Items(Value)->ID();
        if (!Loading()) {
            FChart->ForceRepaint();
            FChart->NotifyLegend(CM_CHARTCHANGED);
        }
    } catch (const std::exception&) {
    }
}

void TSeries::SetScaleInd(int Value) {
    if (!FChart) {
        FScaleInd = Value;
        return;
    }
    try {
        TChartField* f = FChart->Fields().FindItemID(FFieldID);
        if (!f || Value >= f->Scales().Count()) return;
        FScaleInd = Value;
        FScaleID = Value < 0 ? -1 : f->Scales().Items(Value)->ID();
        if (!Loading() && !FChart->Locked()) {
            FChart->ForceRepaint();
            FChart->NotifyLegend(CM_CHARTCHANGED);
        }
    } catch (const std::exception&) {
    }
}

void TSeries::SetCaption(const QString& Value) {
    FCaption = Value;
    if (FChart && !Loading()) FChart->TextChanged(this);
}

void TSeries::SetFID(const QVariant& Value) {
    FID = Value;
    Changed();
}

void TSeries::SetFXID(const QVariant& Value) {
    FXID = Value;
    Changed();
}

void TSeries::SetPen(const QPen& Value) {
    const QColor c = Value.color();
    FPen->blockSignals(true);
    FPen->SetColor(RGBToColor(c.red(), c.green(), c.blue()));
    FPen->SetWidth(Value.width());
    FPen->blockSignals(false);
    Changed();
}

void TSeries::Changed() {
    if (!FChart) return;
    FChart->SeriesPaintRequest(this);
    if (!Loading()) FChart->TextChanged(this);
}

bool TSeries::MouseDown(TScale*, TScale*, Qt::MouseButton, Qt::KeyboardModifiers, int, int) { return false; }

void TSeries::GetLabels(TLabelRefs& List, TScale* Scale, const QRect& Rect) {
    if (!FChart) return;
    const QColor color = QueryLabelColor();
    const bool horizontal = FChart->Orientation() == coHorizontal;
    for (int i = 0; i < FLabels.Count(); ++i) {
        TChartLabel* l = FLabels.GetLabel(i);
        const int xp = FChart->XScale()->Prj(l->X);
        const int yp = Scale ? Scale->Prj(l->Y) : -3000;
        l->Position = horizontal ? QPoint(xp, yp) : QPoint(yp, xp);
        if (!Rect.contains(l->Position)) continue;
        if (color != QColor(Qt::transparent)) l->Color = color;
        List.push_back(l);
    }
}

// --- TRLineSeries ---

TRLineSeries::TRLineSeries(QObject* AOwner) : TSeries(AOwner) { FCaption = QStringLiteral("Line"); }

bool TRLineSeries::Link() {
    if (!FTable) {
        FArray = FXArray = nullptr;
        return false;
    }
    FArray = FTable->GetArrayByID(FID);
    FXArray = FTable->GetArrayByID(FXID);
    return FArray && FXArray;
}

void TRLineSeries::SetTable(TChartTable* Value) {
    FTable = Value;
    Changed();
}

void TRLineSeries::SetUseScaleColor(bool Value) {
    FUseScaleColor = Value;
    Changed();
}

void TRLineSeries::Assign(const TSeries& Source) {
    if (auto* l = qobject_cast<const TRLineSeries*>(&Source)) {
        FLFormat = l->FLFormat;
        FTable = l->FTable;
        FUseScaleColor = l->FUseScaleColor;
    }
    TSeries::Assign(Source);
}

void TRLineSeries::Paint(QPainter& DC, TScale* Scale, QImage*) {
    FLastChunks.clear();
    if (!FChart || !Scale || !Link()) return;
    if (FUseScaleColor && FPen->Color() != Scale->PenColorValue()) {
        FPen->blockSignals(true);
        FPen->SetColor(Scale->PenColorValue());
        FPen->blockSignals(false);
    }
    QPen pen = Pen();
    pen.setWidth(1);
    pen.setCosmetic(true);
    DC.setPen(pen);
    DC.setBrush(Qt::NoBrush);
    const int count = std::min(FArray->GetCount(), FXArray->GetCount());
    if (count < 2) return;
    TScale& xs = *FChart->XScale();
    const bool vertical = FChart->Orientation() == coVertical;
    TChartField* field = FChart->Fields().FindItemID(FFieldID);
    FPath.Begin(field && field->Client() ? field->Client()->rect() : DC.window(), vertical);
    int p = 0, q = 0, lastDrawn = -1;
    while (q < count - 1) {
        q = std::min(q + ChunkPoints, count - 1);
        if (p >= q) break;
        const double a = FXArray->GetValue(p).Value, b = FXArray->GetValue(q).Value;
        const bool touches = (a >= xs.Min() && a <= xs.Max()) || (b >= xs.Min() && a <= xs.Max()) ||
                             (a < xs.Min() && b > xs.Max());
        if (touches) {
            try {
                AddChunk(xs, *Scale, p, q, vertical, lastDrawn == p);
                FLastChunks.emplace_back(p, q);
                lastDrawn = q;
            } catch (const std::exception&) {
                FPath.Break();
            }
        }
        p = q;
    }
    // A thick line is the same line drawn again, moved across the X direction.
    FPath.Draw(DC, FPen->Width(), vertical ? QPoint(1, 0) : QPoint(0, 1));
}

void TRLineSeries::AddChunk(TScale& XScale, TScale& Scale, int P, int Q, bool Vertical, bool Continues) {
    // A chunk that continues the one before shares its first point with that one's last.
    if (Continues) ++P;
    else FPath.Break();
    const size_t n = static_cast<size_t>(Q - P + 1);
    // Linear scales over arrays kept in one block: values become pixels inside the path's loop.
    double kx = 0, cx = 0, ky = 0, cy = 0;
    const double* xs = FXArray->ContiguousValues();
    const double* ys = FArray->ContiguousValues();
    if (xs && ys && XScale.LinearPrj(kx, cx) && Scale.LinearPrj(ky, cy)) {
        if (Vertical) FPath.AddMapped(ys + P, ky, cy, xs + P, kx, cx, static_cast<int>(n));
        else FPath.AddMapped(xs + P, kx, cx, ys + P, ky, cy, static_cast<int>(n));
        return;
    }
    if (FPrjX.size() < n) {
        FPrjX.resize(n);
        FPrjY.resize(n);
    }
    XScale.PrjValues(*FXArray, P, Q, FPrjX.data());
    Scale.PrjValues(*FArray, P, Q, FPrjY.data());
    if (Vertical) FPath.Add(FPrjY.data(), FPrjX.data(), static_cast<int>(n));
    else FPath.Add(FPrjX.data(), FPrjY.data(), static_cast<int>(n));
}

bool TRLineSeries::MouseDown(TScale* XScale, TScale* Scale, Qt::MouseButton Button, Qt::KeyboardModifiers Shift,
                             int X, int Y) {
    if (Button != Qt::LeftButton || !FChart || !XScale || !Scale || !Link()) return false;
    if (FChart->Orientation() == coVertical) std::swap(X, Y);
    const int count = std::min(FArray->GetCount(), FXArray->GetCount());
    if (count < 2) return false;
    int prev = XScale->Prj(FXArray->GetValue(0).Value);
    int found = -1, d0 = 0, d1 = 0;
    for (int i = 1; i < count; ++i) {
        const int d = XScale->Prj(FXArray->GetValue(i).Value);
        if ((d >= X) != (prev >= X)) {
            found = i;
            d0 = prev;
            d1 = d;
            break;
        }
        prev = d;
    }
    if (found < 0) return false;
    const double x0 = FXArray->GetValue(found - 1).Value, x1 = FXArray->GetValue(found).Value;
    const double y0 = FArray->GetValue(found - 1).Value, y1 = FArray->GetValue(found).Value;
    double x = x0, y = y0;
    if (d0 != d1) {
        const double t = std::fabs(static_cast<double>(X - d0)) / std::fabs(static_cast<double>(d1 - d0));
        x = x0 + (x1 - x0) * t;
        y = y0 + (y1 - y0) * t;
    }
    if (!(Shift & Qt::ShiftModifier) && std::abs(Scale->Prj(y) - Y) > 7) return false;
    if (std::isnan(y)) return false;
    FLabels.Add(x, y, FormatFloat(FLFormat, y), Pen().color());
    return true;
}

void TRLineSeries::GetLabels(TLabelRefs& List, TScale* Scale, const QRect& Rect) {
    if (Link()) {
        const int n = FXArray->GetCount();
        if (n == 0) {
            FLabels.Clear();
        } else {
            const double first = FXArray->GetValue(0).Value, last = FXArray->GetValue(n - 1).Value;
            for (int i = FLabels.Count() - 1; i >= 0; --i) {
                const double x = FLabels.GetLabel(i)->X;
                if (x < first || x > last) FLabels.Delete(i);
            }
        }
    }
    TSeries::GetLabels(List, Scale, Rect);
}

void TRLineSeries::PaintIcon(QPainter& DC, const QRect& Box) {
    if (!Link()) {
        DC.fillRect(Box, BtnShadowColor);
        DC.setPen(BtnHighlightColor);
        DC.drawLine(Box.topLeft(), Box.topRight());
        DC.drawLine(Box.topLeft(), Box.bottomLeft());
        DC.setPen(Qt::black);
        DC.drawLine(Box.bottomLeft(), Box.bottomRight());
        DC.drawLine(Box.topRight(), Box.bottomRight());
    }
    const int inset = FPen->Width() + 2;
    const int y = Box.center().y();
    DC.setPen(Pen());
    DC.drawLine(Box.left() + inset, y, Box.right() - inset, y);
}
