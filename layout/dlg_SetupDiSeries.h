#pragma once
// The setup of a digital curve: colour, text column offset, step, precision
// or date-only display, font, caption and units, what the header shows and
// whether values are written on a change of the parameter itself or on a
// step of the document's index.
#include "dlg_SetupForms.h"

#pragma GCC visibility push(default)

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QRadioButton;

namespace Plotmere {

class TPrintDigitalSeries;

class TdlgSetupDiSeries : public TLayoutFormDialog {
    Q_OBJECT
public:
    explicit TdlgSetupDiSeries(QWidget* parent = nullptr);

    void Fill(const TPrintDigitalSeries& series);
    void Apply(TPrintDigitalSeries& series) const;

    TColorSwatch* scColor;
    QLineEdit* edOffset;
    QLineEdit* edStep;
    QLabel* lbPrecision;
    QComboBox* cbPrecision;
    QCheckBox* cbDateOnly;
    TFontButton* btnFont;
    QLineEdit* edCaption;
    QLineEdit* edUnits;
    QCheckBox* cbShowHeader;
    QCheckBox* cbShowPrefix;
    QCheckBox* cbColoredCaption;
    QRadioButton* rbThisParam;
    QRadioButton* rbMainParam;

protected:
    void Validate() override;

private:
    int FOffset = 0;
    double FStep = 0;
};

}  // namespace Plotmere

#pragma GCC visibility pop
