#pragma once
// The setup of the equipment tree control: as the splitter's.
#include "dlg_SetupSplitter.h"

#pragma GCC visibility push(default)

class TdlgSetupNetTree : public TdlgSetupSplitter {
    Q_OBJECT
public:
    explicit TdlgSetupNetTree(QWidget* parent = nullptr)
        : TdlgSetupSplitter(QStringLiteral("Настройка сети датчиков"), parent) {}
};

#pragma GCC visibility pop
