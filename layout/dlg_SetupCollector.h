#pragma once
// The layer dialog (its colour) and the correlation line's, which adds the
// line width.
#include "dlg_Common.h"

#pragma GCC visibility push(default)

class QComboBox;
class QFormLayout;

namespace Plotmere {

class TdlgSetupCollector : public TLayoutSetupDialog {
    Q_OBJECT
public:
    explicit TdlgSetupCollector(QWidget* parent = nullptr);
    TColorSwatch* sbColor;

protected:
    QFormLayout* FForm;
};

}  // namespace Plotmere

#pragma GCC visibility pop
