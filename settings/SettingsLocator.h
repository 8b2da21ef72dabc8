// Finds the settings file of the running host and creates its folder.
#pragma once

#include "platform/FileSystem.h"
#include "settings/SettingsLocation.h"

namespace kestrimo {

// Asks the system for the inputs of the location rule, applies it for this
// plug-in library, and creates the last level of the resulting folder (a
// failure is ignored: the file then cannot be opened and everything takes its
// default).
SettingsLocation LocateSettingsFile(FileSystem& fileSystem);

}  // namespace kestrimo
