#include "dlg_SetupDigitalExpSeries.h"

#include "Kurvex.h"
#include "ModalDialogs.h"
#include "dlg_SetupScale.h"
#include "fr_ChartSeries.h"
#include "fr_SetupFormula.h"

#include <QPushButton>
#include <QVBoxLayout>

TdlgSetupDigitalExpSeries::TdlgSetupDigitalExpSeries(QWidget* parent) : TdlgSetupDigitalSeries(parent) {
    frSetupFormula = new TfrSetupFormula(this);
    Body()->addWidget(frSetupFormula, 1);
    connect(frSetupFormula, &TfrSetupFormula::FormulaChanged, this,
            [this] { OKBtn->setEnabled(frSetupFormula->IsValid()); });
}

bool SetupDigitalExpSeries(TScale& Scale, TWKDigitalExpressionSeries& Series) {
    TdlgSetupDigitalExpSeries dlg;
    FillDigitalDialog(dlg, Scale, Series);
    const TGraphion* chart = ScaleChart(Scale);
    dlg.frSetupFormula->FIsDateTime = chart && chart->XScale()->AsDateTime();
    dlg.frSetupFormula->SetFormula(Series.FormulaText());
    dlg.frSetupFormula->memFormulaChange();
    if (ShowModal(dlg) != mrOk) return false;
    const QString formula = dlg.frSetupFormula->Formula();
    if (formula != Series.FormulaText()) Series.SetFormulaText(formula);
    ApplyDigitalDialog(dlg, Scale, Series);
    return true;
}
