// The plug-in package of the dial gauge: loading it registers TSmoothDial
// (its unit holds the registration), so that forms find the class by name.
#include "SmoothDial.h"
