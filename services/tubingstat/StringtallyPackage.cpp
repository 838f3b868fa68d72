// The package of tubing statistics: loading it registers the service for the
// class-module loader.
#include "dm_TubingStat.h"
#include "fr_TubingStat.h"

#include "ClassRegistry.h"

WK_REGISTER_CLASS(TTubingStatService)
WK_REGISTER_CLASS(TfrTubingStat)
