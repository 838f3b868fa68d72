#pragma once
// The setup of a real-time chart: the panel's settings, orientation and time axis.
#include "dlg_SetupPanel.h"

#pragma GCC visibility push(default)

class TdlgSetupChart : public TdlgSetupPanel {
    Q_OBJECT
public:
    explicit TdlgSetupChart(QWidget* parent = nullptr);
    QCheckBox* cbVert;
    QCheckBox* cbTime;
};

#pragma GCC visibility pop
