#pragma once
// The setup of a formula item of the sensor grid: the item's caption and
// colour and its formula; OK only for a valid formula.
#include "dlg_SetupSensorsGridItem.h"

#pragma GCC visibility push(default)

class TfrSetupFormula;

class TdlgSetupSensorsGridFormulaItem : public TdlgSetupSensorsGridItem {
    Q_OBJECT
public:
    explicit TdlgSetupSensorsGridFormulaItem(QWidget* parent = nullptr);
    TfrSetupFormula* frSetupFormula;
};

#pragma GCC visibility pop
