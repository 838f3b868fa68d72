#pragma once
// The setup of the statistics frame: its alignment and its beveled look.
#include "dlg_SetupSplitter.h"

#pragma GCC visibility push(default)

class TdlgSetupTubingStatFrame : public TdlgSetupSplitter {
    Q_OBJECT
public:
    explicit TdlgSetupTubingStatFrame(QWidget* parent = nullptr)
        : TdlgSetupSplitter(QStringLiteral("Настройка разделителя"), parent) {}
};

#pragma GCC visibility pop
