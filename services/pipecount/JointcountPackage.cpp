// The package of pipe counting: loading it registers the service class, so
// that the class-module loader finds it by name; its functions serve the
// packages that link it.
#include "Jointcount.h"
#include "PipeCountService.h"

WK_REGISTER_CLASS(TPipeCountService)

bool SelectTubingItem(int& Index, TTubingItem& Item) {
    TPipeCountService* service = TPipeCountService::Running();
    if (!service) return false;
    bool casingDetached = false;
    return service->SelectTubingItem(false, Index, Item, casingDetached);
}

double GetRangeVolume(int From, int To) {
    const TPipeCountService* service = TPipeCountService::Running();
    return service ? service->GetRangeVolume(From, To) : -1;
}
