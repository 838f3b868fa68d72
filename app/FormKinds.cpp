#include "FormKinds.h"

#include "FormsHost.h"
#include "fm_NewForm.h"
#include "fm_RealtimeChart.h"
#include "fm_WKComplexForm.h"
#include "fr_Chart.h"

namespace {
const bool Installed = (InstallFormKindHooks(), true);
}  // namespace

TGraphion* ActiveChartOf(TBaseMDIForm* form) {
    if (!form) return nullptr;
    for (QWidget* w = form->focusWidget(); w && w != form; w = w->parentWidget())
        if (auto* chart = qobject_cast<TGraphion*>(w)) return chart;
    if (auto* chartForm = qobject_cast<TfmRealtimeChart*>(form)) return chartForm->Chart();
    return nullptr;
}

void InstallFormKindHooks() {
    TFormKindHooks& hooks = FormKindHooks();
    hooks.NewForm = [](IWKFormsHost& host) { NewFormCommand(host); };
    hooks.CreateComplexForm = [](const QString& fileName) -> TBaseMDIForm* {
        return TfmWKComplexForm::CreateFromFile(nullptr, fileName);
    };
    // The scale command is offered once the chart commands are wired in.
    hooks.HasChart = [](TBaseMDIForm* form) { return FormKindHooks().ToggleScales && ActiveChartOf(form); };
}
