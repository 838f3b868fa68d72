#pragma once
// The dial gauge's setup dialog: the alignment frame, the settings frame and
// the parameter choice. OK is refused with a message while the settings
// cannot be applied, so a closed dialog always applies whole.
#include "WKSensDescr.h"
#include "dlg_SetupBase.h"

class QPushButton;
class TfrAlign;
class TfrExtGaugeSetup;

class TdlgSetupSmoothGauge : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupSmoothGauge(QWidget* parent = nullptr);
    void accept() override;
    // Picks the parameter into Descr; its name becomes the caption.
    void btnParamClick();

    TSensDescr Descr;
    QPushButton* btnParam;
    TfrAlign* frAlign;
    TfrExtGaugeSetup* frExtGaugeSetup;
};
