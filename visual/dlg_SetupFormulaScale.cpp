#include "dlg_SetupFormulaScale.h"

#include "Kurvex.h"
#include "fr_ChartSeries.h"
#include "fr_SetupFormula.h"

#include <QPushButton>
#include <QVBoxLayout>

TdlgSetupFormulaScale* dlgSetupFormulaScale = nullptr;

TdlgSetupFormulaScale::TdlgSetupFormulaScale(QWidget* parent) : TdlgScaleProperties(parent) {
    frSetupFormula = new TfrSetupFormula(this);
    Body()->addWidget(frSetupFormula, 1);
    connect(frSetupFormula, &TfrSetupFormula::FormulaChanged, this,
            [this] { OKBtn->setEnabled(frSetupFormula->IsValid()); });
}

bool SetupFormulaScale(TScale& Scale, TWKExpressionSeries& Series) {
    TdlgSetupFormulaScale dlg;
    dlgSetupFormulaScale = &dlg;
    struct TClear {
        ~TClear() { dlgSetupFormulaScale = nullptr; }
    } clear;
    const TGraphion* chart = ScaleChart(Scale);
    dlg.frSetupFormula->FIsDateTime = chart && chart->XScale()->AsDateTime();
    dlg.frSetupFormula->SetFormula(Series.FormulaText());
    dlg.frSetupFormula->memFormulaChange();
    if (!SetupScaleDialog(Scale, dlg)) return false;
    const QString formula = dlg.frSetupFormula->Formula();
    if (formula != Series.FormulaText()) Series.SetFormulaText(formula);
    return true;
}
