#include "ItemSetup.h"

#include <utility>

namespace Plotmere {

namespace {
TItemSetupDialog& Installed() {
    static TItemSetupDialog dialog;
    return dialog;
}
}  // namespace

TItemSetupDialog SetItemSetupDialog(TItemSetupDialog dialog) { return std::exchange(Installed(), std::move(dialog)); }

bool RunItemSetupDialog(TPrintItem& item, TRenderDevice* device) {
    const TItemSetupDialog& dialog = Installed();
    return dialog ? dialog(item, device) : false;
}

}  // namespace Plotmere
