#pragma once
// The setup form of the bar gauges: one instance per process, shared by all
// of them. A run-time setup hides the choices that belong to the designer
// (orientation, alignment, run-time setup permission); a designer setup shows
// them again.
#include "CommonDialogs.h"
#include "WKSensDescr.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class TNumField;
class TShape;
class TUpDownEdit;
class TWKGauge;

class TfmWKGaugeDsgnSetup : public QDialog {
    Q_OBJECT
public:
    explicit TfmWKGaugeDsgnSetup(QWidget* parent = nullptr);

    // Fills the form from the gauge and runs it; returns the modal result.
    int SetupWKGauge(TWKGauge& gauge, bool runTime);
    // Checks the entries and applies them to the gauge; raises with the
    // user's message and changes nothing when a check fails.
    void btnApplyClick();
    void btnParamClick();
    void done(int result) override;

    TSensDescr FParamDescr;
    TWKGauge* FGauge = nullptr;

    QComboBox* cmbOrientation;
    QLabel* lblGaugeAlign;
    QComboBox* cmbGaugeAlign;
    QCheckBox* chbShowDlg;
    TShape* shpBorderColor;
    TUpDownEdit* udWidth;
    TShape* shpGaugeBkColor;
    TShape* shpGaugeColor;
    TShape* shpGaugeOutColor;
    QPushButton* btnParam;
    QLabel* lblSensorName;
    QLineEdit* edtShortSensorName;
    QCheckBox* chbShowSensorName;
    QCheckBox* chbShowValue;
    TUpDownEdit* udPrecision;
    TNumField* edtMinPosition;
    TNumField* edtMaxPosition;
    QCheckBox* chbShowText;
    QCheckBox* chbInvert;
    QPushButton* btnGaugeFont;
    QLabel* lblGaugeFont;
    QPushButton* btnPositionFont;
    QLabel* lblPositionFont;
    TNumField* edtMinLimit;
    TNumField* edtMaxLimit;
    QCheckBox* chbShowLimits;
    QPushButton* btnApply;
    QPushButton* btnOk;
    QPushButton* btnCancel;

    TFontDialog fndGaugeFont;
    TColorDialog cldExtColor;

private:
    void PickColor(TShape* shape);
    void PickFont(QLabel* sample, TFont& keep);

    TFont* FGaugeFont;     // the chosen fonts until Apply (Qt children)
    TFont* FPositionFont;
};

// The shared form, created on first use.
TfmWKGaugeDsgnSetup& fmWKGaugeDsgnSetup();
// "0." and as many "#" as decimals.
QString PrecisionFormat(int precision);
