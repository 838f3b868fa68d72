#include "SketchDLLMan.h"

#include "DebugOutput.h"

namespace Welvista {

TPluginManager& PluginManager() {
    static TPluginManager manager(Plotmere::TPluginManagerOptions::MainProgram());
    return manager;
}

void ActivatePlugins() { PluginManager().Activate(Plotmere::atRelativePath, QStringLiteral("Plugins")); }

namespace {
const bool ManagerAnnounced = [] {
    DebugOutput(QStringLiteral("Welvista: Sketch plugins init"));
    return true;
}();
}  // namespace

}  // namespace Welvista
