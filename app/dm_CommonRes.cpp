#include "dm_CommonRes.h"

#include "ConvSys.h"
#include "Kurvex.h"
#include "Menus.h"
#include "ReviewSeries.h"
#include "SketchDLLMan.h"
#include "SketchDocStub.h"
#include "UIServices.h"
#include "WKConsts.h"
#include "dlg_SelectParam.h"

#include <QAction>
#include <QApplication>
#include <QPointer>
#include <cmath>
#include <limits>

using namespace Plotmere;

namespace {
constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

TSensDescr SensDescrOf(const TParamDescr& p) {
    TSensDescr d;
    d.StrID = p.ID;
    d.StreamID = p.SourceID;
    d.SystemID = p.SystemID;
    d.FullName = p.Name;
    d.Name = p.ShortName;
    d.Units = p.Units;
    d.Group = p.Path;
    d.Color = int(p.Color);
    d.Precision = p.Precision;
    d.Min = p.Min;
    d.Max = p.Max;
    d.A = p.A;
    d.B = p.B;
    return d;
}

bool HasRecordedBlocks(TReviewDataDocument* doc) {
    if (!doc) return false;
    for (int i = 0; i < doc->Blocks().Count(); ++i)
        if (doc->Blocks().GetBlock(i)->SourceID() != ExpressionsSourceID) return true;
    return false;
}
}  // namespace

TWKReviewBaseSeries* AddReviewSeries(TGraphion& Chart, TChartField& Field, const TSensDescr& Descr, bool Digital,
                                     TPopupMenu* ScalePopup) {
    // Series belong to the chart's owner, the form, which stores them.
    QObject* owner = Chart.Owner() ? Chart.Owner()->Self() : static_cast<QObject*>(&Chart);
    TWKReviewBaseSeries* s;
    if (Digital) {
        auto* d = new TWKDigitalReviewSeries(owner);
        d->SetByMainParam(true);
        d->SetStep(1.0);
        s = d;
    } else if (Descr.Flags.Contains(sfCalculated)) {
        s = new TExpressionLineSeries(owner);
    } else {
        s = new TExLineSeries(owner);
    }
    s->SetFID(Descr.StrID);
    s->PenObject()->SetColor(TColor(Descr.Color));
    s->SetCaption(Descr.Name);
    s->SetFieldInd(Field.Index());
    s->SetSourceID(Descr.StreamID);
    s->SetSystemID(Descr.SystemID);
    s->SetA(Descr.A);
    s->SetB(Descr.B);
    s->SetUnits(Descr.Units);
    s->SetPrecision(Descr.Precision);
    TScale* scale = Field.Scales().Add();
    s->SetScaleInd(scale->Index());
    Chart.InsertSeries(s);
    // An empty or inverted range would give a scale that shows nothing.
    if (Descr.Max > Descr.Min) {
        scale->SetLimits(Descr.Min, Descr.Max, false);
        scale->SetMinMax(Descr.Min, Descr.Max);
    }
    scale->SetCaption(s->Caption());
    scale->SetPenColorValue(TColor(Descr.Color));
    scale->SetPopupMenu(ScalePopup);
    return s;
}

TSensDescrArray ReviewSensDescrs(const QList<TReviewParamSource>& Sources, const QString& Profile,
                                 const TCatalogueParams& Catalogue) {
    TSensDescrArray result;
    const bool several = Sources.size() > 1;
    for (const TReviewParamSource& source : Sources) {
        const TParamDescrArray params =
            source.Params.isEmpty() && Catalogue ? Catalogue(source.Descr, Profile) : source.Params;
        for (const TParamDescr& p : params) {
            TSensDescr d = SensDescrOf(p);
            if (several) d.Group = source.Descr.Name + QLatin1Char('\\') + d.Group;
            result.append(d);
        }
    }
    return result;
}

TParamDescrArray CatalogueParams(ISensMap* Map, const TDataSourceDescr& Source, const QString& Profile) {
    TParamDescrArray list;
    if (!Map) return list;
    const TSensMapCalls calls(Map);
    calls.FirstParam(SensMapFilter(Source.SystemID, Profile));
    TParamInfo info;
    while (calls.NextParam(info)) {
        TParamDescr p;
        p.ID = info.ID;
        p.SystemID = Source.SystemID;
        p.SourceID = Source.SourceID;
        p.Name = info.Name;
        p.ShortName = info.Name;
        p.DataType = 4;
        p.Min = info.Min;
        p.Max = info.Max;
        p.Units = info.Units;
        p.Color = TColor(info.Color);
        p.Precision = info.Precision;
        list.append(p);
    }
    calls.FirstParam(QString());
    return list;
}

// ---- TdmCommonRes ----

TdmCommonRes::TdmCommonRes(QObject* owner) : TComponent(owner) {
    SetName(QStringLiteral("dmCommonRes"));
    RegisterRoot(this);
    pmField = new TPopupMenu(this);
    pmField->SetName(QStringLiteral("pmField"));
    actChartSetup = AddCommand(pmField, "actChartSetup", QStringLiteral("Настройка диаграммы..."),
                               &TdmCommonRes::actChartSetupExecute);
    actAddSeries = AddCommand(pmField, "actAddSeries", QStringLiteral("Добавить графики..."),
                              &TdmCommonRes::actAddSeriesExecute);
    miAddDigitalSeries = AddCommand(pmField, "miAddDigitalSeries", QStringLiteral("Добавить цифровые отметки..."),
                                    &TdmCommonRes::miAddDigitalSeriesClick);
    miHideScales = AddCommand(pmField, "miHideScales", QStringLiteral("Скрыть/Показать шкалы"),
                              &TdmCommonRes::miHideScalesClick);
    miHideScales->setShortcut(QKeySequence(QStringLiteral("Ctrl+H")));
    miAddField = AddCommand(pmField, "miAddField", QStringLiteral("Добавить поле"), &TdmCommonRes::miAddFieldClick);
    miDeleteField = AddCommand(pmField, "miDeleteField", QStringLiteral("Удалить поле"),
                               &TdmCommonRes::miDeleteFieldClick);
    pmField->OnPopup = [this](TPopupMenu*) { pmFieldPopup(); };

    pmScale = new TPopupMenu(this);
    pmScale->SetName(QStringLiteral("pmScale"));
    miSeriesProperties = AddCommand(pmScale, "miSeriesProperties", QStringLiteral("Свойства..."),
                                    &TdmCommonRes::miSeriesPropertiesClick, QStringLiteral("Диалог настроек графика"));
    miFindMinMax = AddCommand(pmScale, "miFindMinMax", QStringLiteral("Поиск минимума и максимума"),
                              &TdmCommonRes::miFindMinMaxClick, QStringLiteral("Поиск диапазона шкалы"));
    N1 = pmScale->Menu()->addSeparator();
    N1->setObjectName(QStringLiteral("N1"));
    miDeleteSeries = AddCommand(pmScale, "miDeleteSeries", QStringLiteral("Удалить график"),
                                &TdmCommonRes::miDeleteSeriesClick, QStringLiteral("Удаление графика"));
    pmScale->OnPopup = [this](TPopupMenu*) { pmScalePopup(); };
}

TdmCommonRes::~TdmCommonRes() { UnregisterRoot(this); }

QAction* TdmCommonRes::AddCommand(TPopupMenu* menu, const char* name, const QString& caption,
                                  void (TdmCommonRes::*handler)(), const QString& hint) {
    QAction* a = menu->Menu()->addAction(caption);
    a->setObjectName(QLatin1String(name));
    if (!hint.isEmpty()) {
        a->setToolTip(hint);
        a->setStatusTip(hint);
    }
    // A failing command shows its message; the chart stays usable.
    connect(a, &QAction::triggered, this, [this, handler, name] {
        try {
            (this->*handler)();
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TdmCommonRes.%1: %2").arg(QLatin1String(name), ExceptionMessage(e)));
            MessageDlg(ExceptionMessage(e), mtError, mbOK);
        }
    });
    return a;
}

TdmCommonRes& dmCommonRes() {
    static QPointer<TdmCommonRes> module;
    if (!module) module = new TdmCommonRes(qApp);
    return *module;
}

// ---- what a popup was opened on ----

TGraphion* TdmCommonRes::GetChart(const TPopupMenu* Menu) const {
    QObject* c = Menu ? Menu->PopupComponent() : nullptr;
    if (auto* chart = qobject_cast<TGraphion*>(c)) return chart;
    if (auto* strip = qobject_cast<TScaleControl*>(c)) return strip->Chart();
    if (auto* box = qobject_cast<TFieldClientBox*>(c)) return box->GetChart();
    if (!c) return qobject_cast<TGraphion*>(QApplication::focusWidget());
    return nullptr;
}

TChartField* TdmCommonRes::GetField(const TPopupMenu* Menu) const {
    QObject* c = Menu ? Menu->PopupComponent() : nullptr;
    if (auto* box = qobject_cast<TFieldClientBox*>(c)) return box->GetField();
    // The chart's own panel: a new field.
    if (auto* chart = qobject_cast<TGraphion*>(c)) return chart->Fields().Add();
    return nullptr;
}

TScaleControl* TdmCommonRes::GetStrip() const { return qobject_cast<TScaleControl*>(pmScale->PopupComponent()); }

void TdmCommonRes::pmFieldPopup() {
    const auto* box = qobject_cast<TFieldClientBox*>(pmField->PopupComponent());
    const TGraphion* chart = box ? box->GetChart() : nullptr;
    miDeleteField->setEnabled(chart && chart->Fields().Count() > 1);
}

void TdmCommonRes::pmScalePopup() {
    const TScaleControl* strip = GetStrip();
    // The X strip stands in the chart itself; value strips stand in their field.
    const bool valueScale = strip && strip->parentWidget() != strip->Chart();
    miDeleteSeries->setVisible(valueScale);
    miFindMinMax->setVisible(valueScale);
}

// ---- parameters ----

TSensDescrArray TdmCommonRes::GetParams(const QString& Profile) {
    Welvista::TPluginManager& m = Welvista::PluginManager();
    QList<TReviewParamSource> sources;
    for (int i = 0; i < m.GetSrcCount(); ++i) {
        const TDataSourceLibrary* s = m.GetDataSource(i);
        if (s->Descr().DataClass == FCurrentDataClass) sources.append({s->Descr(), s->GetParamList()});
    }
    return ReviewSensDescrs(sources, Profile, [](const TDataSourceDescr& source, const QString& profile) {
        try {
            return CatalogueParams(MAPEX.Get(), source, profile);
        } catch (const std::exception& e) {
            DebugLog(QStringLiteral("TdmCommonRes.GetParams: %1").arg(ExceptionMessage(e)));
            return TParamDescrArray();
        }
    });
}

TSensDescrArray TdmCommonRes::PickParameters(TGraphion& Chart, TSensSelection Selection) {
    const TReviewDataDocument* doc = TWKReviewBaseSeries::GetControlDocument(&Chart);
    FCurrentDataClass = doc ? doc->DataClass() : (Chart.XScale()->AsDateTime() ? 0 : 1);
    TdlgSelectParam dlg;
    dlg.Selection = Selection;
    dlg.FOnGetCustomParams = [this](const QString& profile) { return GetParams(profile); };
    dlg.FFormulaSubset = QStringLiteral("Plotmere");
    dlg.FFormulaParser = &ReviewParser();
    if (dlg.Execute() != mrOk) return {};
    return dlg.GetSensDescriptions();
}

// ---- commands ----

void TdmCommonRes::actAddSeriesExecute() {
    TGraphion* chart = GetChart(pmField);
    if (!chart) return;
    const TSensDescrArray chosen = PickParameters(*chart, TSensSelection{ssFormulas});
    if (chosen.isEmpty()) return;
    TChartField* field = GetField(pmField);
    if (!field) return;
    TReviewDataDocument* doc = TWKReviewBaseSeries::GetControlDocument(chart);
    QStringList failures;
    chart->Lock();
    try {
        for (const TSensDescr& d : chosen) {
            TWKReviewBaseSeries* s = AddReviewSeries(*chart, *field, d, false, pmScale);
            try {
                s->CacheRanges(NaN, NaN);
            } catch (const std::exception& e) {
                // Before any data are loaded a formula binds nowhere yet; it is
                // computed by the next load.
                if (HasRecordedBlocks(doc)) failures << ExceptionMessage(e);
            }
        }
    } catch (...) {
        chart->Unlock();
        throw;
    }
    chart->Unlock();
    failures.removeDuplicates();
    if (!failures.isEmpty()) MessageDlg(failures.join(QLatin1Char('\n')), mtError, mbOK);
}

void TdmCommonRes::miAddDigitalSeriesClick() {
    TGraphion* chart = GetChart(pmField);
    if (!chart) return;
    const TSensDescrArray chosen = PickParameters(*chart, TSensSelection{});
    if (chosen.isEmpty()) return;
    TChartField* field = GetField(pmField);
    if (!field) return;
    for (const TSensDescr& d : chosen) AddReviewSeries(*chart, *field, d, true, pmScale);
}

void TdmCommonRes::actChartSetupExecute() {
    TGraphion* chart = GetChart(pmField);
    if (!chart) return;
    const auto& dialog = ReviewSetupDialogs().Chart;
    if (!dialog) {
        MessageDlg(SSetupUnavailable, mtInformation, mbOK);
        return;
    }
    dialog(*chart);
}

void TdmCommonRes::HideScales(TGraphion& Chart) {
    bool anyVisible = false;
    for (int f = 0; f < Chart.Fields().Count(); ++f) {
        const TScales& scales = Chart.Fields().Items(f)->Scales();
        for (int i = 0; i < scales.Count(); ++i) anyVisible = anyVisible || scales.Items(i)->Visible();
    }
    for (int f = 0; f < Chart.Fields().Count(); ++f) {
        TScales& scales = Chart.Fields().Items(f)->Scales();
        for (int i = 0; i < scales.Count(); ++i) scales.Items(i)->SetVisible(!anyVisible);
    }
}

void TdmCommonRes::miHideScalesClick() {
    if (TGraphion* chart = GetChart(pmField)) HideScales(*chart);
}

void TdmCommonRes::miAddFieldClick() {
    if (TGraphion* chart = GetChart(pmField)) chart->Fields().Add();
}

void TdmCommonRes::miDeleteFieldClick() {
    // Only a plot area names a field to free; the chart panel names none.
    auto* box = qobject_cast<TFieldClientBox*>(pmField->PopupComponent());
    if (!box) return;
    TGraphion* chart = box->GetChart();
    TChartField* field = box->GetField();
    if (!chart || !field || chart->Fields().Count() < 2) return;
    pmField->SetPopupComponent(nullptr);
    delete field;
}

void TdmCommonRes::miSeriesPropertiesClick() {
    TScaleControl* strip = GetStrip();
    TScale* scale = strip ? strip->ParentScale() : nullptr;
    TGraphion* chart = strip ? strip->Chart() : nullptr;
    if (!scale || !chart) return;
    std::vector<TSeries*> series;
    chart->GetScaleSeries(scale, series);
    TSeries* first = series.empty() ? nullptr : series.front();
    if (auto* digital = qobject_cast<TWKDigitalReviewSeries*>(first)) {
        digital->Setup(scale);
    } else if (auto* formula = qobject_cast<TExpressionLineSeries*>(first)) {
        formula->Setup(scale);
    } else {
        const auto& dialog = ReviewSetupDialogs().Scale;
        if (!dialog) {
            MessageDlg(SSetupUnavailable, mtInformation, mbOK);
            return;
        }
        if (dialog(*scale)) chart->ForceRepaint();
    }
}

void TdmCommonRes::miFindMinMaxClick() {
    TScaleControl* strip = GetStrip();
    TGraphion* chart = strip ? strip->Chart() : nullptr;
    if (!chart) return;
    strip->SetTag(1);
    chart->ForceRepaint();
}

void TdmCommonRes::miDeleteSeriesClick() {
    TScaleControl* strip = GetStrip();
    TScale* scale = strip ? strip->ParentScale() : nullptr;
    TGraphion* chart = strip ? strip->Chart() : nullptr;
    if (!scale || !chart || strip->parentWidget() == chart) return;
    TChartField* field = chart->GetScaleField(scale);
    std::vector<TSeries*> series;
    chart->GetScaleSeries(scale, series);
    if (series.size() < 2) {
        // The scale's series go with it.
        pmScale->SetPopupComponent(nullptr);
        delete scale;
    } else {
        TSensDescrArray offered;
        for (size_t i = 0; i < series.size(); ++i) {
            TSensDescr d;
            d.StrID = QString::number(i);
            d.Name = series[i]->Caption();
            d.FullName = d.Name;
            offered.append(d);
        }
        TdlgSelectParam dlg;
        dlg.Selection = TSensSelection{};
        dlg.FOnGetCustomParams = [offered](const QString&) { return offered; };
        if (dlg.Execute() != mrOk) return;
        for (const TSensDescr& d : dlg.GetSensDescriptions()) {
            const size_t i = d.StrID.toULongLong();
            if (i < series.size()) {
                delete series[i];
                series[i] = nullptr;
            }
        }
    }
    if (field) field->SetGridInd(0);
    chart->ForceRepaint();
}
