#pragma once
// The setup of a sensor label: font, alignment, the parameter shown, its
// colour, text alignment and whether the name is shown.
#include "CommonDialogs.h"
#include "WKSensDescr.h"
#include "dlg_SetupBase.h"

#pragma GCC visibility push(default)

class QCheckBox;
class QGroupBox;
class TColorRect;
class TfrAlign;
class TRadioGroup;
class TShape;

class TdlgSetupSensLabel : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupSensLabel(QWidget* parent = nullptr);

    // Picks one parameter into Descr; the colour box then takes its colour.
    void btnParamClick();

    TSensDescr Descr;

    QPushButton* btnFont;
    TFontDialog fd;
    TfrAlign* frAlign;
    QPushButton* btnParam;
    QGroupBox* gbColor;
    TShape* shColor;
    QPushButton* btnColor;
    TColorDialog ColorDialog;
    TColorRect* cbColor;
    TRadioGroup* rgTextAlign;
    QCheckBox* cbShowName;

protected:
    void showEvent(QShowEvent* e) override;
};

#pragma GCC visibility pop
