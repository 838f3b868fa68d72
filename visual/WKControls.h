#pragma once
// The one parameter picker as callers use it.
#include "WKParamSource.h"

#pragma GCC visibility push(default)

// Multi choice: true on OK, descr then holds the checked descriptions in tree order.
bool SelectParameters(TSensSelection selection, TSensDescrArray& descr, const TGetCustomParams& source = {});
// Single choice: true on OK, descr then holds a copy of the chosen description.
bool SelectParameter(TSensSelection selection, TSensDescr& descr, const TGetCustomParams& source = {});

class QObject;
class TCustomImageList;

// The main toolbar ("tbMain") of the application's main window, to which
// plug-ins add their buttons; null when there is none.
QObject* ApplicationToolbar();
// Large toolbar images for plug-ins; nothing in the core assigns it, so it is
// null unless the host program sets it.
extern TCustomImageList* WKLargeImages;

#pragma GCC visibility pop
