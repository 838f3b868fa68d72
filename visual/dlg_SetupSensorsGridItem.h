#pragma once
// The setup of one sensor grid item: its caption and colour. The formula
// item dialog starts from it.
#include "CommonDialogs.h"
#include "dlg_SetupBase.h"

#pragma GCC visibility push(default)

class QGroupBox;
class TColorRect;
class TLabeledEdit;
class TShape;

class TdlgSetupSensorsGridItem : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupSensorsGridItem(QWidget* parent = nullptr);

    TLabeledEdit* leCaption;
    QGroupBox* gbColor;
    TShape* shColor;
    QPushButton* btnScalColor;
    TColorDialog ColorDialog;
    TColorRect* cbScaleColor;
    QPushButton* btnOk;  // the OK button
};

#pragma GCC visibility pop
