#pragma once
// Sensor samples, arrays and streams, and the two locks that guard them.
//
// Lock order (outermost first): Ring1 (main thread only), then the wells
// list's own lock, then Ring0 (poll thread and main thread); the hints list's
// lock and the equipment tree's enumeration lock are innermost.
#include "CriticalSection.h"
#include "WKSensDescr.h"

// Guards the primary stream list (poll thread and main thread).
TCriticalSection& Ring0();
// Guards the secondary stream list; taken by the main thread only.
TCriticalSection& Ring1();
