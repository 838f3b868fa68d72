#pragma once
// What the Jointcount package offers to the packages that link it.
#include "dm_Jointcount.h"

#pragma GCC visibility push(default)

// The running pipe-counting service's element choice, without the casing
// option; false when there is no running service or the user cancels.
bool SelectTubingItem(int& Index, TTubingItem& Item);
// The running service's GetRangeVolume; -1 when there is no running service.
double GetRangeVolume(int From, int To);

#pragma GCC visibility pop
