// The plug-in package of the bar gauge and the casing drawing: loading it
// registers TWKGauge and TCasingControl (their units hold the registrations),
// so that forms find the classes by name.
#include "WKGauge.h"
#include "dm_CasingCtrl.h"
