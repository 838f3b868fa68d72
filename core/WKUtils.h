#pragma once
// Small utilities of the core: operation and assembly codes, float rounding,
// and the picker of the computer that holds the well database.
#include "WKConsts.h"

#include <QString>

#pragma GCC visibility push(default)

// True for opDrilling and opRotorDrilling.
bool IsDrilling(TOpCode code);

// True when bits 25 to 30 of code (mask 0x7E000000) equal kind, a mask of
// those bits as callers pass it (0x2000000: a pipe).
bool BHAItemIs(int code, int kind);

// x itself when it has no fractional part (also NaN, infinities and values
// past the integer range, which have none); otherwise the next whole number
// up (FloatCeil) or down (FloatFloor).
double FloatCeil(double x);
double FloatFloor(double x);

// Asks for the name of the computer with the well database. Returns false
// (and an empty name) when the user cancels.
bool SelectComputer(QString& name);

#pragma GCC visibility pop
