#pragma once
// The properties of one scale and of the line series drawn on it.
#include "CommonDialogs.h"
#include "dlg_SetupBase.h"

#pragma GCC visibility push(default)

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class TColorRect;
class TGraphion;
class TScale;
class TSeries;
class TShape;
class TUpDownEdit;

class TdlgScaleProperties : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgScaleProperties(QWidget* parent = nullptr);

    // OK only with numbers in the visible range edits; otherwise the user is
    // told and the dialog stays open.
    void accept() override;
    // Both range edits hold numbers (always true while the range is hidden).
    bool ReadRange(double& Min, double& Max) const;

    QGroupBox* gbRange;
    QLineEdit* edMin;
    QLineEdit* edMax;
    QGroupBox* gbView;
    QCheckBox* cbInverted;
    QCheckBox* cbShowCaption;
    QCheckBox* cbLog;
    QCheckBox* cbValues;
    QPushButton* btnFont;
    TShape* shColor;
    TColorRect* cbColor;
    QPushButton* btnColor;
    QGroupBox* gbCaption;
    QLineEdit* edCaption;
    QGroupBox* gbWidth;
    TUpDownEdit* udWidth;
    QComboBox* cbLines;
    TColorDialog cd;
    TFontDialog fd;
    bool FontChosen = false;
};

// The chart a scale belongs to (the X scale's or a field's), or null.
TGraphion* ScaleChart(const TScale& Scale);
// Whether the scale is a chart's X scale (its strip stands on the chart itself).
bool IsXScale(const TScale& Scale);
// The chart's series on the scale, in the chart's order.
std::vector<TSeries*> SeriesOnScale(const TScale& Scale);

// A plain scale dialog over the scale; true on OK.
bool SetupScale(TScale& Scale);
// Fills the dialog from the scale, runs it and applies it on OK; true on OK.
bool SetupScaleDialog(TScale& Scale, TdlgScaleProperties& Dialog);

#pragma GCC visibility pop
