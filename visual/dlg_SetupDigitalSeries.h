#pragma once
// The value marks of a digital series: step, binding, font and the colour of
// its scale.
#include "CommonDialogs.h"
#include "dlg_SetupBase.h"

#pragma GCC visibility push(default)

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

class TFont;

// What the dialog edits of any digital series (live or recorded): the step,
// the binding and the font it draws with (changed in place).
struct TDigitalMarks {
    double Step = 1;
    bool ByMainParam = true;
    TFont* Font = nullptr;
};

// Fills the dialog from the marks and their scale, and applies it back.
void FillDigitalDialog(TdlgSetupDigitalSeries& Dialog, const TScale& Scale, const TDigitalMarks& Marks);
void ApplyDigitalDialog(const TdlgSetupDigitalSeries& Dialog, TScale& Scale, TDigitalMarks& Marks);
// The same for a live series; the chart repaints after Apply.
void FillDigitalDialog(TdlgSetupDigitalSeries& Dialog, const TScale& Scale, const TWKDigitalSeries& Series);
void ApplyDigitalDialog(const TdlgSetupDigitalSeries& Dialog, TScale& Scale, TWKDigitalSeries& Series);

// Runs the one dialog over the marks; true on OK (the marks and the scale's colour changed).
bool SetupDigitalMarks(TScale& Scale, TDigitalMarks& Marks);
// True on OK; the chart repaints then.
bool SetupDigitalSeries(TScale& Scale, TWKDigitalSeries& Series);

#pragma GCC visibility pop
