#include "MonitoringCharts.h"

#include "Formatting.h"
#include "Forms.h"
#include "fr_Chart.h"

QString UniqueComponentName(const TComponentBase& owner, const QString& base) {
    if (!owner.FindComponent(base)) return base;
    for (int n = 1;; ++n) {
        const QString name = QStringLiteral("%1_%2").arg(base).arg(n);
        if (!owner.FindComponent(name)) return name;
    }
}

void SetNewChartRange(TWKChart& chart, bool isDateTime) {
    chart.SetIsDateTime(isDateTime);
    if (isDateTime) {
        const TDateTime now = Now();
        chart.XScale()->SetMinMax(now, now + 1.0 / 12);  // two hours
    } else {
        chart.XScale()->SetMinMax(0, 100);
    }
}

TWKChart* NewMonitoringChart(TForm& form, bool isDateTime) {
    auto* chart = new TWKChart(&form);
    chart->SetName(UniqueComponentName(form, chart->ClassName()));
    chart->SetAlign(TControl::alClient);
    chart->SetBorderWidth(0);
    SetNewChartRange(*chart, isDateTime);
    chart->SetParentWidget(&form);
    chart->show();  // made with the form as owner, it is already its child: a shown form shows it only now
    return chart;
}
