#include "fm_DigitalView.h"

#include "ClassRegistry.h"
#include "MonitoringCharts.h"
#include "WKSensGrid.h"

WK_REGISTER_CLASS(TfmDigitalView)

TfmDigitalView::TfmDigitalView(QObject* owner) : TBaseMDIForm(owner) { SetPosition(poDefault); }

TSensGrid* TfmDigitalView::CreateGrid() {
    auto* grid = new TSensGrid(this);
    grid->SetName(UniqueComponentName(*this, QStringLiteral("Grid")));
    grid->SetAlign(TControl::alClient);
    grid->SetParentWidget(this);
    grid->show();
    FGrid = grid;
    return grid;
}

TSensGrid* TfmDigitalView::Grid() {
    if (!FGrid)
        for (TControl* c : Controls())
            if (auto* grid = qobject_cast<TSensGrid*>(c)) return FGrid = grid;
    return FGrid;
}
