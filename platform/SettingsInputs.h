// What the operating system tells the plug-in about where its settings file
// belongs: the platform family, the host's registry switch, the user's
// application-data folder, the host program's path and its command line.
// Paths use backslashes as folder separators on both targets.
#pragma once

#include <cstdint>
#include <string>

namespace kestrimo {

struct SettingsInputs {
  bool versionKnown = false;  // the version query answered
  bool ntFamily = false;      // only this family may keep settings per user
  std::uint32_t storeInUsersFolder = 0;  // non-zero: settings in the user folder
  std::string appDataFolder;  // the per-user (roaming) application-data folder
  std::string programPath;    // full path of the host program; empty when unknown
  std::string commandLine;    // the host process's command line
};

// Asks the system. Nothing is created or changed.
SettingsInputs GatherSettingsInputs();

}  // namespace kestrimo
