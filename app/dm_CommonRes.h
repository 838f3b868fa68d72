#pragma once
// The shared resources of review charts: the popup menus of the chart and its
// fields (pmField) and of its scale strips (pmScale), and the commands behind
// them, which add series of recorded parameters, fields and setups.
#include "Components.h"
#include "DataStructures.h"
#include "Mapex_TLB.h"
#include "WKSensDescr.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>

#pragma GCC visibility push(default)

class QAction;
class TChartField;
class TGraphion;
class TPopupMenu;
class TScale;
class TScaleControl;
class TWKReviewBaseSeries;

// The parameters of one data source as the picker offers them.
struct TReviewParamSource {
    Plotmere::TDataSourceDescr Descr;
    Plotmere::TParamDescrArray Params;
};
using TCatalogueParams =
    std::function<Plotmere::TParamDescrArray(const Plotmere::TDataSourceDescr& Source, const QString& Profile)>;

// The picker's descriptions of the sources' parameters, in order; a source
// without parameters offers its system's catalogue parameters. With more than
// one source each group starts with the source's name and a backslash.
TSensDescrArray ReviewSensDescrs(const QList<TReviewParamSource>& Sources, const QString& Profile,
                                 const TCatalogueParams& Catalogue);
// The catalogue parameters of a source's system for the profile ("*" when it
// is empty), read through the parameter interchange object; empty without one.
Plotmere::TParamDescrArray CatalogueParams(ISensMap* Map, const Plotmere::TDataSourceDescr& Source,
                                           const QString& Profile);

// A new review series of the description in the field (a line, a formula
// line for a calculated one, or digital marks) with a value scale of its own.
TWKReviewBaseSeries* AddReviewSeries(TGraphion& Chart, TChartField& Field, const TSensDescr& Descr, bool Digital,
                                     TPopupMenu* ScalePopup);

// A named root, so that stored charts find its menus by name ("dmCommonRes.pmField").
class TdmCommonRes : public TComponent {
    Q_OBJECT
public:
    explicit TdmCommonRes(QObject* owner = nullptr);
    ~TdmCommonRes() override;

    TPopupMenu* pmField;
    QAction* actChartSetup;
    QAction* actAddSeries;
    QAction* miAddDigitalSeries;
    QAction* miHideScales;
    QAction* miAddField;
    QAction* miDeleteField;
    TPopupMenu* pmScale;
    QAction* miSeriesProperties;
    QAction* miFindMinMax;
    QAction* N1;
    QAction* miDeleteSeries;

    // The parameter provider of the picker and the formula dialogs: the
    // parameters of the data sources of the current data class.
    TSensDescrArray GetParams(const QString& Profile);
    Plotmere::TSketchDataClass CurrentDataClass() const { return FCurrentDataClass; }

    // The commands; each works on the popup's component.
    void actChartSetupExecute();
    void actAddSeriesExecute();
    void miAddDigitalSeriesClick();
    void miHideScalesClick();
    void miAddFieldClick();
    void miDeleteFieldClick();
    void miSeriesPropertiesClick();
    void miFindMinMaxClick();
    void miDeleteSeriesClick();

    // What the popups were opened on.
    TGraphion* GetChart(const TPopupMenu* Menu) const;
    TChartField* GetField(const TPopupMenu* Menu) const;
    TScaleControl* GetStrip() const;

    // Hides every value scale of the chart when one is visible, else shows them all.
    static void HideScales(TGraphion& Chart);

private:
    void pmFieldPopup();
    void pmScalePopup();
    // Runs the picker for the chart behind pmField; the chosen descriptions.
    TSensDescrArray PickParameters(TGraphion& Chart, TSensSelection Selection);
    QAction* AddCommand(TPopupMenu* menu, const char* name, const QString& caption, void (TdmCommonRes::*handler)(),
                        const QString& hint = {});

    Plotmere::TSketchDataClass FCurrentDataClass = 0;
};

// The module, created at program start (owned by the application).
TdmCommonRes& dmCommonRes();

#pragma GCC visibility pop
