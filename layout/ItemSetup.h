#pragma once
// The seam through which items open their setup dialogs. The dialogs install
// themselves here; without them every setup answers "not changed", so that
// the engine runs headless and in tests.
#include <functional>

namespace Plotmere {

class TPrintItem;
class TRenderDevice;

// Runs the setup dialog of an item; true when the user confirmed it.
using TItemSetupDialog = std::function<bool(TPrintItem& item, TRenderDevice* device)>;

// Installs the dialogs; returns the ones installed before.
TItemSetupDialog SetItemSetupDialog(TItemSetupDialog dialog);
bool RunItemSetupDialog(TPrintItem& item, TRenderDevice* device);

}  // namespace Plotmere
