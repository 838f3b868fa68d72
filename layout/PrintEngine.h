#pragma once
// The layout engine's main unit: the concrete devices, the document with its
// view base, and the editing actions.
#include "PrintActions.h"
#include "PrintDevices.h"
#include "PrintDocument.h"
