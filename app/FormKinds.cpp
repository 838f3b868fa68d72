#include "FormKinds.h"

#include "FormsHost.h"
#include "fm_NewForm.h"
#include "fm_RealtimeChart.h"
#include "fm_WKComplexForm.h"
#include "Formatting.h"
#include "dm_CommonRes.h"
#include "dm_ControlRes.h"
#include "fm_Review.h"
#include "fr_Chart.h"

namespace {
const bool Installed = (InstallFormKindHooks(), true);
}  // namespace

TGraphion* ActiveChartOf(TBaseMDIForm* form) {
    if (!form) return nullptr;
    for (QWidget* w = form->focusWidget(); w && w != form; w = w->parentWidget())
        if (auto* chart = qobject_cast<TGraphion*>(w)) return chart;
    if (auto* chartForm = qobject_cast<TfmRealtimeChart*>(form)) return chartForm->Chart();
    if (auto* review = qobject_cast<TfmReview*>(form)) return review->Chart();
    return nullptr;
}

void InstallFormKindHooks() {
    TFormKindHooks& hooks = FormKindHooks();
    hooks.NewForm = [](IWKFormsHost& host) { NewFormCommand(host); };
    hooks.CreateComplexForm = [](const QString& fileName) -> TBaseMDIForm* {
        return TfmWKComplexForm::CreateFromFile(nullptr, fileName);
    };
    hooks.HasChart = [](TBaseMDIForm* form) { return FormKindHooks().ToggleScales && ActiveChartOf(form); };
    hooks.ToggleScales = [](TBaseMDIForm* form) {
        if (TGraphion* chart = ActiveChartOf(form)) TdmControlRes::HideScales(*chart);
    };
    // A new chart form opens the chart popup's add-series command on its first field.
    hooks.AddChartSeries = [](TWKChart* chart) {
        if (chart && chart->Fields().Count() > 0) AddChartSeries(chart->Fields().Items(0));
    };
    // Review forms: two hours from now on time, 0 to 100 m on depth.
    hooks.CreateReviewForm = [](bool isDateTime) -> TBaseMDIForm* {
        const double now = Now();
        return isDateTime ? CreateReviewForm(true, now, now + 1.0 / 12) : CreateReviewForm(false, 0, 100);
    };
}
