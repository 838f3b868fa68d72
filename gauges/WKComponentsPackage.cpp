// The plug-in package of the bar gauge: loading it registers TWKGauge (its
// unit holds the registration), so that forms find the class by name.
#include "WKGauge.h"
