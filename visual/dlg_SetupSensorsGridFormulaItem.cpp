#include "dlg_SetupSensorsGridFormulaItem.h"

#include "fr_SetupFormula.h"

#include <QPushButton>
#include <QVBoxLayout>

TdlgSetupSensorsGridFormulaItem::TdlgSetupSensorsGridFormulaItem(QWidget* parent) : TdlgSetupSensorsGridItem(parent) {
    frSetupFormula = new TfrSetupFormula(this);
    Body()->addWidget(frSetupFormula, 1);
    connect(frSetupFormula, &TfrSetupFormula::FormulaChanged, this,
            [this] { btnOk->setEnabled(frSetupFormula->IsValid()); });
    frSetupFormula->memFormulaChange();
}
