// The plug-in package of the dial gauges: loading it registers TSmoothDial
// and the data-bound TWKSmoothGauge (their units hold the registrations), so
// that forms find the classes by name.
#include "ExtControls.h"
