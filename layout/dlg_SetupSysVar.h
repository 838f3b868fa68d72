#pragma once
// The system variable dialog ("Настройка переменной"): the label dialog
// without its text, with the choice of the variable; the sample shows the
// variable's current value.
#include "dlg_SetupLabel.h"

#include <QPointer>

#pragma GCC visibility push(default)

namespace Plotmere {

class TPrintDocument;

class TdlgSetupSysVar : public TdlgSetupLabel {
    Q_OBJECT
public:
    explicit TdlgSetupSysVar(QWidget* parent = nullptr);

    // The variables of doc (the well-log ones only in a well-log document),
    // sysVarType chosen.
    void Fill(TPrintDocument* doc, int sysVarType);
    // The chosen variable: list index - 1 (the filled one when none is chosen).
    int SysVarType() const;

    QComboBox* cbVariable;

private:
    void ShowValue();
    QPointer<TPrintDocument> FDocument;
    int FInitial = -1;  // kept when the list does not offer it
};

}  // namespace Plotmere

#pragma GCC visibility pop
