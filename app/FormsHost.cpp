#include "FormsHost.h"

TFormKindHooks& FormKindHooks() {
    static TFormKindHooks hooks;
    return hooks;
}
