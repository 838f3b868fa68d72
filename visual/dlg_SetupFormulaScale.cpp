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

bool SetupFormulaScale(TScale& Scale, QString& Formula, bool IsDateTime) {
    TdlgSetupFormulaScale dlg;
    dlgSetupFormulaScale = &dlg;
    struct TClear {
        ~TClear() { dlgSetupFormulaScale = nullptr; }
    } clear;
    dlg.frSetupFormula->FIsDateTime = IsDateTime;
    dlg.frSetupFormula->SetFormula(Formula);
    dlg.frSetupFormula->memFormulaChange();
    if (!SetupScaleDialog(Scale, dlg)) return false;
    Formula = dlg.frSetupFormula->Formula();
    return true;
}

bool SetupFormulaScale(TScale& Scale, TWKExpressionSeries& Series) {
    const TGraphion* chart = ScaleChart(Scale);
    QString formula = Series.FormulaText();
    if (!SetupFormulaScale(Scale, formula, chart && chart->XScale()->AsDateTime())) return false;
    if (formula != Series.FormulaText()) Series.SetFormulaText(formula);
    return true;
}
