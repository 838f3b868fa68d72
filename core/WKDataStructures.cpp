#include "WKDataStructures.h"

TCriticalSection& Ring0() {
    static TCriticalSection cs;
    return cs;
}

TCriticalSection& Ring1() {
    static TCriticalSection cs;
    return cs;
}
