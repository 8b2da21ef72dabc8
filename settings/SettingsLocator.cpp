#include "settings/SettingsLocator.h"

#include "platform/ModuleInfo.h"
#include "platform/SettingsInputs.h"

namespace kestrimo {

SettingsLocation LocateSettingsFile(FileSystem& fileSystem) {
  const SettingsLocation location =
      ResolveSettingsLocation(GatherSettingsInputs(), ModuleBaseName(OwnModulePath()));
  if (!location.folder.empty()) fileSystem.MakeDirectory(location.folder);
  return location;
}

}  // namespace kestrimo
