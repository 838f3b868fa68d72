// The commands of the chart and grid menus.
#include "dm_ControlRes.h"

#include "ConvSys.h"
#include "Kurvex.h"
#include "Menus.h"
#include "ModalDialogs.h"
#include "Swatchbox.h"
#include "WKConsts.h"
#include "WKControls.h"
#include "WKSensGrid.h"
#include "dlg_InputComment.h"
#include "dlg_SetupDigitalExpSeries.h"
#include "dlg_SetupDigitalSeries.h"
#include "dlg_SetupFormulaScale.h"
#include "dlg_SetupRTChart.h"
#include "dlg_SetupScale.h"
#include "dlg_SetupSeries.h"
#include "fr_ChartSeries.h"

#include <QLineEdit>
#include <QToolTip>
#include <algorithm>
#include <memory>

namespace {
// The parameters a chart offers: its own kind of streams, and stored formulas
// outside the acquisition main program.
TSensSelection ChartSelection(const TGraphion& Chart) {
    TSensSelection selection =
        Chart.XScale()->AsDateTime() ? TSensSelection{ssTime, ssForemostStream} : TSensSelection{ssDepth};
    if (!WKMainApplication()) selection.Include(ssFormulas);
    return selection;
}

QString ScaleCaption(const TSensDescr& Descr) {
    return Descr.Units.isEmpty() ? Descr.Name : Descr.Name + QLatin1Char(' ') + Descr.Units;
}

// A new value scale of the field for a parameter: the menu, the caption and
// the colour; the grid follows the field's first scale.
TScale* NewValueScale(TChartField& Field, const TSensDescr& Descr) {
    auto* scale = Field.Scales().Add();
    Field.SetGridInd(0);
    scale->SetPopupMenu(ScaleMenu());
    scale->SetCaption(ScaleCaption(Descr));
    return scale;
}

void TakeDescription(TWKChartBaseSeries& Series, const TChartField& Field, const TScale& Scale,
                     const TSensDescr& Descr) {
    Series.SetFieldInd(Field.Index());
    Series.SetScaleInd(Field.Scales().IndexOf(&Scale));
    Series.SetPrecision(Descr.Precision);
    // A descriptor's A of 0 stands for 1; the series multiplies by its A.
    Series.SetA(Descr.A == 0 ? 1 : Descr.A);
    Series.SetB(Descr.B);
    Series.SetUnits(Descr.Units);
    Series.SetStreamID(Descr.StreamID);
    Series.SetGID(Descr.GID);
    // A formula has no sensor to be named by: the series keeps the formula's name.
    if (Descr.Flags.Contains(sfCalculated)) Series.SetCaption(Descr.Name);
}

// What one command made, freed again when the command fails half-way.
class TMadeHere {
public:
    ~TMadeHere() {
        if (FKeep) return;
        for (auto it = FSeries.rbegin(); it != FSeries.rend(); ++it) delete it->data();
        for (auto it = FScales.rbegin(); it != FScales.rend(); ++it)
            if (*it) (*it)->Collection()->Delete((*it)->Index());
    }
    void Add(TSeries* s) { FSeries.emplace_back(s); }
    void Add(TScale* s) { FScales.emplace_back(s); }
    void Keep() { FKeep = true; }

private:
    std::vector<QPointer<TSeries>> FSeries;
    std::vector<QPointer<TScale>> FScales;
    bool FKeep = false;
};
}  // namespace

bool AddChartSeries(TChartField* Field, TScale* Scale) {
    if (!Field || !Field->Chart()) return false;
    TGraphion& chart = *Field->Chart();
    TSensDescrArray picked;
    if (!SelectParameters(ChartSelection(chart), picked) || picked.isEmpty()) return false;
    TMadeHere made;
    for (const TSensDescr& d : picked) {
        TScale* scale = Scale;
        if (!scale) {
            scale = NewValueScale(*Field, d);
            made.Add(scale);
            // The range goes in while the limits are the defaults, which may
            // shift or cut it; it then is the default range.
            scale->SetMinMax(d.Min, d.Max);
            scale->SetDefaultMin(scale->Min());
            scale->SetDefaultMax(scale->Max());
            scale->SetMinLimit(-2e7);
            scale->SetMaxLimit(2e7);
            scale->SetPenColorValue(TColor(d.Color));
        }
        TWKChartSeries* s = d.Flags.Contains(sfCalculated) ? new TWKExpressionSeries(&chart, d.StrID)
                                                           : new TWKChartSeries(&chart);
        made.Add(s);
        TakeDescription(*s, *Field, *scale, d);
        s->PenObject()->SetColor(TColor(d.Color));
        chart.InsertSeries(s);
    }
    made.Keep();
    chart.ForceRepaint();
    return true;
}

bool TdmControlRes::AddSeries(TChartField* Field, TScale* Scale) { return AddChartSeries(Field, Scale); }

bool TdmControlRes::AddDigitalSeries(TChartField* Field) {
    if (!Field || !Field->Chart()) return false;
    TGraphion& chart = *Field->Chart();
    TSensDescrArray picked;
    if (!SelectParameters(ChartSelection(chart), picked) || picked.isEmpty()) return false;
    TMadeHere made;
    for (const TSensDescr& d : picked) {
        TScale* scale = NewValueScale(*Field, d);
        made.Add(scale);
        scale->SetMinMax(0, 10);
        scale->SetDefaultMin(0);
        scale->SetDefaultMax(10);
        scale->SetPenColorValue(TColor(d.Color));
        scale->SetStepType(sttFixedSize);
        TWKDigitalSeries* s = d.Flags.Contains(sfCalculated) ? new TWKDigitalExpressionSeries(&chart, d.StrID)
                                                             : new TWKDigitalSeries(&chart);
        made.Add(s);
        TakeDescription(*s, *Field, *scale, d);
        s->SetByMainParam(true);
        s->SetStep(1);
        chart.InsertSeries(s);
    }
    made.Keep();
    chart.ForceRepaint();
    return true;
}

void TdmControlRes::GetScaleParams(const QString& Profile, TSensDescrArray& Params) const {
    Params.clear();
    TScaleControl* strip = qobject_cast<TScaleControl*>(pmScale->PopupComponent());
    if (!strip || !strip->ParentScale()) return;
    const std::vector<TSeries*> list = SeriesOnScale(*strip->ParentScale());
    TSensDescrArray all;
    GetSensDescrArray(Profile, all, TSensSelection{ssPrimary});
    for (const TSensDescr& d : all)
        for (size_t i = 0; i < list.size(); ++i) {
            auto* s = qobject_cast<TWKChartBaseSeries*>(list[i]);
            if (!s || s->GID() != d.GID || qobject_cast<TWKExpressionSeries*>(s) ||
                qobject_cast<TWKDigitalExpressionSeries*>(s))
                continue;
            TSensDescr item = d;
            item.Priority = int(i);
            Params.append(item);
            break;
        }
    // Formula series have no sensor of their own; they are offered by their
    // formula so that they too can be chosen.
    for (size_t i = 0; i < list.size(); ++i) {
        QString formula;
        if (auto* e = qobject_cast<TWKExpressionSeries*>(list[i])) formula = e->FormulaText();
        else if (auto* de = qobject_cast<TWKDigitalExpressionSeries*>(list[i])) formula = de->FormulaText();
        else continue;
        TSensDescr item;
        item.Name = formula;
        item.StrID = formula;
        item.Flags.Include(sfCalculated);
        item.Priority = int(i);
        Params.append(item);
    }
}

// --- pmChart ---

void TdmControlRes::miSCClick(QObject* Sender) {
    if (TGraphion* chart = GetChart(Sender)) SetupChart(*chart);
}

void TdmControlRes::miAddSeriesClick(QObject* Sender) {
    if (!qobject_cast<TFieldClientBox*>(GetPopupComponent(Sender))) return;
    AddSeries(GetField(Sender), nullptr);
}

void TdmControlRes::miAddDigitalSeriesClick(QObject* Sender) {
    if (!qobject_cast<TFieldClientBox*>(GetPopupComponent(Sender))) return;
    AddDigitalSeries(GetField(Sender));
}

void TdmControlRes::miClearLabelsClick(QObject* Sender) {
    if (TGraphion* chart = GetChart(Sender)) chart->ClearLabels();
}

void TdmControlRes::miHideScalesClick(QObject* Sender) {
    if (TGraphion* chart = GetChart(Sender)) HideScales(*chart);
}

void TdmControlRes::miStatClick(QObject* Sender) {
    TGraphion* chart = GetChart(Sender);
    if (!chart) return;
    chart->SetSelectionMode(true);
    chart->SetHint(SSelectRangeHint);
    chart->SetShowHint(true);
    QToolTip::showText(chart->mapToGlobal(QPoint(0, 0)), SSelectRangeHint, chart);
}

void TdmControlRes::miAddCommentClick(QObject* Sender) {
    TPopupMenu* menu = GetMenu(Sender);
    TGraphion* chart = GetChart(Sender);
    if (!menu || !chart) return;
    // On the chart panel the comment goes into a new field, made only on OK.
    auto* client = qobject_cast<TFieldClientBox*>(menu->PopupComponent());
    const bool onPanel = menu->PopupComponent() == chart;
    if (!client && !onPanel) return;
    const QPoint screen = menu->PopupPoint();
    TdlgInputComment& dlg = dlgInputComment();
    if (ShowModal(dlg) != mrOk) return;
    TChartField* field = client ? client->GetField() : GetField(Sender);
    if (!field) return;
    auto* series = qobject_cast<TWKCommentSeries*>(field->FindSeries(QStringLiteral("Comments")));
    if (!series) {
        series = new TWKCommentSeries(chart);
        series->SetFID(QStringLiteral("Comments"));
        series->SetFieldInd(field->Index());
        series->SetScaleInd(-1);
        chart->InsertSeries(series);
    }
    const QPoint p = field->Client() ? field->Client()->mapFromGlobal(screen) : chart->mapFromGlobal(screen);
    series->Comments().push_back(
        {chart->GetXValue(p.x(), p.y()), p.y(), dlg.edComment->text(), ColorToQColor(dlg.cbColor->Color())});
    chart->ForceRepaint();
}

void TdmControlRes::miAddFieldClick(QObject* Sender) {
    if (TGraphion* chart = GetChart(Sender)) chart->Fields().Add();
}

void TdmControlRes::miDeleteFieldClick(QObject* Sender) {
    auto* client = qobject_cast<TFieldClientBox*>(GetPopupComponent(Sender));
    TChartField* field = client ? client->GetField() : nullptr;
    if (!field || !field->Chart() || field->Chart()->Fields().Count() < 2) return;
    field->Chart()->Fields().Delete(field->Index());
}

// --- pmScale ---

void TdmControlRes::ChartPropertiesClick(QObject* Sender) {
    TScaleControl* strip = PopupStrip(Sender);
    if (!strip || !strip->ParentScale()) return;
    TScale& scale = *strip->ParentScale();
    TSeries* first = GetScaleSeries(strip);
    if (auto* de = qobject_cast<TWKDigitalExpressionSeries*>(first)) SetupDigitalExpSeries(scale, *de);
    else if (auto* d = qobject_cast<TWKDigitalSeries*>(first)) SetupDigitalSeries(scale, *d);
    else if (auto* e = qobject_cast<TWKExpressionSeries*>(first)) SetupFormulaScale(scale, *e);
    else SetupScale(scale);
}

void TdmControlRes::miSeriesPropertiesClick(QObject* Sender) {
    TScaleControl* strip = PopupStrip(Sender);
    if (!strip || !strip->ParentScale()) return;
    const std::vector<TSeries*> list = SeriesOnScale(*strip->ParentScale());
    if (list.size() < 2) return;
    TSensDescr chosen;
    const TGetCustomParams source = [this](const QString& profile) {
        TSensDescrArray params;
        GetScaleParams(profile, params);
        return params;
    };
    if (!SelectParameter(TSensSelection{ssPrimary}, chosen, source)) return;
    if (chosen.Priority < 0 || chosen.Priority >= int(list.size())) return;
    SetupSeriesPen(*list[size_t(chosen.Priority)]);
}

void TdmControlRes::miAddScaleParamClick(QObject* Sender) {
    TScaleControl* strip = PopupStrip(Sender);
    auto* panel = strip ? qobject_cast<TFieldControl*>(strip->parentWidget()) : nullptr;
    if (!panel || !strip->ParentScale()) return;
    AddSeries(panel->Field(), strip->ParentScale());
}

void TdmControlRes::miFindMinMaxClick(QObject* Sender) {
    TScaleControl* strip = PopupStrip(Sender);
    TGraphion* chart = strip ? strip->Chart() : nullptr;
    if (!chart) return;
    strip->SetTag(1);
    chart->ForceRepaint();
}

void TdmControlRes::miDeleteSeriesClick(QObject* Sender) {
    TScaleControl* strip = PopupStrip(Sender);
    auto* panel = strip ? qobject_cast<TFieldControl*>(strip->parentWidget()) : nullptr;
    if (!panel || !strip->ParentScale()) return;
    TChartField* field = panel->Field();
    TScale* scale = strip->ParentScale();
    const std::vector<TSeries*> list = SeriesOnScale(*scale);
    if (list.size() < 2) {
        // Its series go with the collection's update.
        field->Scales().Delete(scale->Index());
    } else {
        TSensDescrArray chosen;
        const TGetCustomParams source = [this](const QString& profile) {
            TSensDescrArray params;
            GetScaleParams(profile, params);
            return params;
        };
        if (!SelectParameters(TSensSelection{ssPrimary}, chosen, source)) return;
        std::vector<QPointer<TSeries>> doomed;
        for (const TSensDescr& d : chosen)
            if (d.Priority >= 0 && d.Priority < int(list.size())) doomed.emplace_back(list[size_t(d.Priority)]);
        for (const QPointer<TSeries>& s : doomed) delete s.data();
    }
    field->SetGridInd(0);
    if (field->Chart()) field->Chart()->ForceRepaint();
}

// --- pmValues ---

void TdmControlRes::miPropertiesClick(QObject* Sender) {
    QPoint p;
    if (TSensGrid* grid = PopupGrid(Sender, p)) grid->Setup();
}

void TdmControlRes::miAddValuesClick(QObject* Sender) {
    QPoint p;
    if (TSensGrid* grid = PopupGrid(Sender, p)) grid->AddToPosition(grid->IndexFromPoint(p));
}

void TdmControlRes::miGridItemPropertiesClick(QObject* Sender) {
    QPoint p;
    if (TSensGrid* grid = PopupGrid(Sender, p)) grid->SetupItemFromPoint(p);
}

void TdmControlRes::miRemoveValueClick(QObject* Sender) {
    QPoint p;
    if (TSensGrid* grid = PopupGrid(Sender, p)) grid->Delete(grid->IndexFromPoint(p));
}
