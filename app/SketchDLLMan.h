#pragma once
// The workstation's own plug-in manager for reviewing recorded data: the
// layout engine's manager class configured as the main program needs it
// (sorted unique parameter lists, Reload passed to the systems, SaveData over
// the requested range, no "ImportParamsFromFile"), kept apart from the
// engine's own global manager.
#include "DLLMan.h"

#pragma GCC visibility push(default)

namespace Welvista {

using Plotmere::TDataSourceLibrary;
using Plotmere::TPluginManager;
using Plotmere::TSystemLibrary;

// The program's manager, created when the unit starts.
TPluginManager& PluginManager();

// The activation of the main window: the "Plugins" folder of the program.
void ActivatePlugins();

}  // namespace Welvista

#pragma GCC visibility pop
