// The package of limit alarms: loading it registers the service class, so
// that the class-module loader finds it by name.
#include "RangeAlarmService.h"

WK_REGISTER_CLASS(TRangeAlarmService)
