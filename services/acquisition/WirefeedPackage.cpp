// The plug-in package of the acquisition client: loading it registers the
// service class, so that the class-module loader finds it by name.
#include "WKTCPCL.h"

WK_REGISTER_CLASS(TWKTCPClientService)
