#pragma once
// The one parameter picker as callers use it.
#include "WKParamSource.h"

// Multi choice: true on OK, descr then holds the checked descriptions in tree order.
bool SelectParameters(TSensSelection selection, TSensDescrArray& descr, const TGetCustomParams& source = {});
// Single choice: true on OK, descr then holds a copy of the chosen description.
bool SelectParameter(TSensSelection selection, TSensDescr& descr, const TGetCustomParams& source = {});
