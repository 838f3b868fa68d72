#pragma once
// The pen of one series: width, style and colour.
#include "CommonDialogs.h"
#include "dlg_SetupBase.h"

#pragma GCC visibility push(default)

class QComboBox;
class TColorRect;
class TSeries;
class TShape;
class TUpDownEdit;

class TdlgSetupSeries : public TSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupSeries(QWidget* parent = nullptr);

    TUpDownEdit* udWidth;
    QComboBox* cbLines;
    TShape* shColor;
    TColorRect* cbColor;
    QPushButton* btnColor;
    TColorDialog cd;
};

// The dialog over the series' pen; on OK the pen takes it and the chart
// repaints. True on OK.
bool SetupSeriesPen(TSeries& Series);

#pragma GCC visibility pop
