#pragma once
// The value marks of a digital series: step, binding, font and the colour of
// its scale.
#include "CommonDialogs.h"
#include "dlg_SetupBase.h"

class TColorRect;
class TNumField;
class TRadioGroup;
class TScale;
class TShape;
class TWKDigitalSeries;

class TdlgSetupDigitalSeries : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupDigitalSeries(QWidget* parent = nullptr);

    // OK only with a positive number as the step; otherwise the user is told
    // and the dialog stays open.
    void accept() override;

    QPushButton* btnFont;
    TShape* shColor;
    TColorRect* cbColor;
    QPushButton* btnColor;
    TNumField* neStep;
    TRadioGroup* rgIsMain;
    TColorDialog cd;
    TFontDialog fd;
    bool FontChosen = false;
};

// The one digital-series dialog, made on first use and reused.
extern TdlgSetupDigitalSeries* dlgSetupDigitalSeries;

// Fills the dialog from the series and its scale, and applies it back.
void FillDigitalDialog(TdlgSetupDigitalSeries& Dialog, const TScale& Scale, const TWKDigitalSeries& Series);
void ApplyDigitalDialog(const TdlgSetupDigitalSeries& Dialog, TScale& Scale, TWKDigitalSeries& Series);

// True on OK; the chart repaints then.
bool SetupDigitalSeries(TScale& Scale, TWKDigitalSeries& Series);
