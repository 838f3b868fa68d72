#pragma once
// The scale of a formula line series together with its formula.
#include "dlg_SetupScale.h"

#include <QString>

#pragma GCC visibility push(default)

class TfrSetupFormula;
class TWKExpressionSeries;

class TdlgSetupFormulaScale : public TdlgScaleProperties {
    Q_OBJECT
public:
    explicit TdlgSetupFormulaScale(QWidget* parent = nullptr);
    TfrSetupFormula* frSetupFormula;
};

// The dialog while it is open, else null.
extern TdlgSetupFormulaScale* dlgSetupFormulaScale;

// The scale dialog with the series' formula; on OK a changed formula is given
// to the series. True on OK.
bool SetupFormulaScale(TScale& Scale, TWKExpressionSeries& Series);
// The same over a formula text (on OK it holds the edited formula).
bool SetupFormulaScale(TScale& Scale, QString& Formula, bool IsDateTime);

#pragma GCC visibility pop
