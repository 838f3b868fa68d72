#pragma once
// The seam through which items open their setup dialogs. Each dialog unit
// registers the item classes it sets up; an override installed over them
// (tests that only need a yes or a no) takes precedence. An item of a class
// no dialog registered answers "not changed", so the engine runs headless.
#include <functional>
#include <typeindex>

#pragma GCC visibility push(default)

namespace Plotmere {

class TPrintItem;
class TRenderDevice;

// Runs the setup dialog of an item; true when the user confirmed it.
using TItemSetupDialog = std::function<bool(TPrintItem& item, TRenderDevice* device)>;

// Installs an override over the registered dialogs; returns the one installed before.
TItemSetupDialog SetItemSetupDialog(TItemSetupDialog dialog);
bool RunItemSetupDialog(TPrintItem& item, TRenderDevice* device);

// Registers the dialog of exactly one item class (not its descendants, which
// may need a dialog of their own); a later registration replaces an earlier one.
void RegisterItemSetupDialog(std::type_index itemClass, TItemSetupDialog dialog);

// Registers at load time from a dialog unit: a static object per class.
struct TItemSetupRegistration {
    TItemSetupRegistration(std::type_index itemClass, TItemSetupDialog dialog) {
        RegisterItemSetupDialog(itemClass, std::move(dialog));
    }
};

}  // namespace Plotmere

#pragma GCC visibility pop
