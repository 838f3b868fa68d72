#pragma once
// The value marks of a digital formula series, with the formula.
#include "dlg_SetupDigitalSeries.h"

#pragma GCC visibility push(default)

class TfrSetupFormula;
class TWKDigitalExpressionSeries;

class TdlgSetupDigitalExpSeries : public TdlgSetupDigitalSeries {
    Q_OBJECT
public:
    explicit TdlgSetupDigitalExpSeries(QWidget* parent = nullptr);
    TfrSetupFormula* frSetupFormula;
};

// A new dialog each time; on OK a changed formula is given to the series as
// well. True on OK.
bool SetupDigitalExpSeries(TScale& Scale, TWKDigitalExpressionSeries& Series);

#pragma GCC visibility pop
