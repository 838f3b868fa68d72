#include "ItemSetup.h"

#include "PrintItems.h"

#include <map>
#include <typeinfo>
#include <utility>

namespace Plotmere {

namespace {
TItemSetupDialog& Installed() {
    static TItemSetupDialog dialog;
    return dialog;
}

std::map<std::type_index, TItemSetupDialog>& Registered() {
    static std::map<std::type_index, TItemSetupDialog> dialogs;
    return dialogs;
}
}  // namespace

TItemSetupDialog SetItemSetupDialog(TItemSetupDialog dialog) { return std::exchange(Installed(), std::move(dialog)); }

void RegisterItemSetupDialog(std::type_index itemClass, TItemSetupDialog dialog) {
    Registered()[itemClass] = std::move(dialog);
}

bool RunItemSetupDialog(TPrintItem& item, TRenderDevice* device) {
    if (const TItemSetupDialog& dialog = Installed()) return dialog(item, device);
    const auto found = Registered().find(std::type_index(typeid(item)));
    return found != Registered().end() && found->second ? found->second(item, device) : false;
}

}  // namespace Plotmere
