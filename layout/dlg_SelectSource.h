#pragma once
// The choice of a new document's type (bound to time or to depth), offered
// to the host; nothing inside the layout engine asks it.
#include "dlg_SetupForms.h"

#pragma GCC visibility push(default)

class QListWidget;

namespace Plotmere {

class TdlgSelectSource : public TLayoutFormDialog {
    Q_OBJECT
public:
    explicit TdlgSelectSource(QWidget* parent = nullptr);

    // The names of the data classes, the first selected; a double click confirms.
    QListWidget* lbClasses;
};

// Shows the choice; on OK dataClass is the chosen index. Returns whether OK was pressed.
bool SelectSketchDataClass(int& dataClass);

}  // namespace Plotmere

#pragma GCC visibility pop
