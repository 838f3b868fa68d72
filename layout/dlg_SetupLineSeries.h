#pragma once
// The setup of a line curve: range, header, group, the data conversion A x
// value + B, the crop value, line, fills on both sides and the marks' format.
#include "dlg_SetupForms.h"

#pragma GCC visibility push(default)

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;

namespace Plotmere {

class TPrintLineSeries;

class TdlgSetupLineSeries : public TLayoutFormDialog {
    Q_OBJECT
public:
    explicit TdlgSetupLineSeries(QWidget* parent = nullptr);

    void Fill(const TPrintLineSeries& series);
    void Apply(TPrintLineSeries& series) const;

    QLabel* lbID;
    QComboBox* cbMin;  // editable
    QComboBox* cbMax;  // editable
    QLineEdit* edCaption;
    QLineEdit* edUnits;
    QCheckBox* cbHideHeader;
    QCheckBox* cbSubTicks;
    QCheckBox* cbMinMaxWithCaption;
    QCheckBox* cbColoredText;
    QComboBox* cbGroup;  // editable
    QLineEdit* edMultiplier;
    QLineEdit* edOffset;
    QLineEdit* edCrop;
    TColorSwatch* scColor;
    QComboBox* cbLineType;
    QComboBox* cbPenWidth;
    QCheckBox* cbJagged;
    QComboBox* cbMinBrush;
    TColorSwatch* scMinBrushColor;
    QComboBox* cbMaxBrush;
    TColorSwatch* scMaxBrushColor;
    QComboBox* cbPrecision;
    TFontButton* btnFont;

protected:
    void Validate() override;

private:
    struct TValues {
        double Min = 0, Max = 0, Multiplier = 0, Offset = 0, Crop = 0;
    };
    TValues FValues;
    // The texts shown for the range and the values behind them: the shown
    // text is rounded, an untouched box keeps the curve's own value.
    QString FShownMin, FShownMax;
    double FMin = 0, FMax = 0;
};

}  // namespace Plotmere

#pragma GCC visibility pop
