#pragma once
// The appearance of a chart: background colour, grid colour and the font of
// the scale marks, orientation.
#include "CommonDialogs.h"
#include "dlg_SetupBase.h"

#pragma GCC visibility push(default)

class TColorRect;
class TGraphion;
class TRadioGroup;
class TShape;

class TdlgKurvexProperties : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgKurvexProperties(QWidget* parent = nullptr);

    TShape* CurrentColor;
    TColorRect* cbBack;
    QPushButton* btnBack;
    TShape* ScaleColor;
    TColorRect* cbScaleColor;
    QPushButton* btnScaleColor;
    QPushButton* btnFont;
    TRadioGroup* rgOrientation;
    TColorDialog cd;
    TFontDialog fd;
    // Set when the font was confirmed in the font dialog.
    bool FontChosen = false;
};

// Fills the dialog from the chart and applies it on OK: colour, grid colour
// of every field, orientation and, when a font was chosen, the font of every
// scale (the marks along the grid). Cancel changes nothing.
void SetupChart(TGraphion& Chart);

#pragma GCC visibility pop
