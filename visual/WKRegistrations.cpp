// The platform classes that user-form text may name, registered by this
// library's start-up beside its own controls (which register in their units).
#include "ClassRegistry.h"
#include "ComCtrls.h"

WK_REGISTER_CLASS(TTabSheet)
