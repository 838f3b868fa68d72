#pragma once
// What the parameter picker and the formula editors share: a caller's own
// source of parameter descriptions, asked with the profile name.
#include "WKSensDescr.h"

#include <functional>

#pragma GCC visibility push(default)

using TGetCustomParams = std::function<TSensDescrArray(const QString& profile)>;

#pragma GCC visibility pop
