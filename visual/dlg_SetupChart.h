#pragma once
// The setup of a real-time chart: the panel's settings, orientation and time axis.
#include "dlg_SetupPanel.h"

class TdlgSetupChart : public TdlgSetupPanel {
    Q_OBJECT
public:
    explicit TdlgSetupChart(QWidget* parent = nullptr);
    QCheckBox* cbVert;
    QCheckBox* cbTime;
};
