#include "fm_RealtimeChart.h"

#include "ClassRegistry.h"
#include "MonitoringCharts.h"
#include "fr_Chart.h"

WK_REGISTER_CLASS(TfmRealtimeChart)

TfmRealtimeChart::TfmRealtimeChart(QObject* owner) : TBaseMDIForm(owner) { SetKeyPreview(true); }

TfmRealtimeChart* TfmRealtimeChart::CreateWithChart(QObject* owner, bool isDateTime, const QString& caption, int top) {
    auto* form = new TfmRealtimeChart(owner);
    form->FChart = NewMonitoringChart(*form, isDateTime);
    form->SetShortCaption(caption);
    form->SetTop(top);
    return form;
}

TWKChart* TfmRealtimeChart::Chart() {
    if (!FChart) {
        const QList<TControl*> controls = Controls();
        if (!controls.isEmpty()) FChart = qobject_cast<TWKChart*>(controls.first());
    }
    return FChart;
}
