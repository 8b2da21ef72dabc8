#include "tools/kestrimo-host/app/VersionText.h"

#include <cstdio>

#include "model/HostRecords.h"
#include "tools/kestrimo-host/hosting/PluginHost.h"
#include "tools/kestrimo-host/hosting/PluginLocation.h"
#include "tools/kestrimo-host/hosting/PluginVersion.h"
#include "tools/kestrimo-host/process/ExitCodes.h"

namespace kestrimo {

const char* ToolVersion() { return KESTRIMO_VERSION; }

int PrintVersions(const std::string& pluginPath) {
  std::printf("kestrimo-host %s\n", ToolVersion());
  const std::string path = PluginPathOr(pluginPath);
  PluginHost plugin;
  if (!plugin.Load(path)) {
    std::fprintf(stderr, "kestrimo-host: %s\n", plugin.Error().c_str());
    return kExitRuntimeError;
  }
  const std::string version = PluginFileVersion(path);
  std::printf("plug-in %s (interface version %d): %s\n",
              version.empty() ? "of unknown version" : version.c_str(),
              static_cast<int>(kPluginInterfaceVersion), path.c_str());
  return kExitDone;
}

}  // namespace kestrimo
