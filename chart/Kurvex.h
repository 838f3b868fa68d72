#pragma once
// The chart engine: scales, point arrays and chart tables.
#include "KXPointArrays.h"
#include "KXScale.h"
