#pragma once
// The setup dialog of the casing drawing: its alignment.
#include "dlg_SetupBase.h"

class TfrAlign;

class TdlgSetupCasingDsgn : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupCasingDsgn(QWidget* parent = nullptr);
    TfrAlign* frAlign;
};
