#pragma once
#include "dlg_SetupCollector.h"

#pragma GCC visibility push(default)

namespace Plotmere {

class TdlgSetupCorLine : public TdlgSetupCollector {
    Q_OBJECT
public:
    explicit TdlgSetupCorLine(QWidget* parent = nullptr);
    // Widths 1 to 5; the index is the width - 1.
    QComboBox* cbWidth;
};

}  // namespace Plotmere

#pragma GCC visibility pop
