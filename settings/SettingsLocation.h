// Where the settings file lives: the rule, free of any system call, so that it
// is tested alike on both targets. Paths use backslashes.
#pragma once

#include <string>
#include <string_view>

#include "platform/SettingsInputs.h"

namespace kestrimo {

struct SettingsLocation {
  std::string instanceId;  // empty or one character
  std::string folder;      // ends with a backslash; empty when unknown
  std::string moduleName;
  std::string fileName;    // module name + ".ini"
  std::string path;        // folder + file name; empty when unknown
};

// The plug-in library's file name without folder and extension; the "lib"
// prefix of a shared object is dropped, so that "libKRD_Kestrimo.so" and
// "KRD_Kestrimo.dll" both give "KRD_Kestrimo".
std::string ModuleBaseName(std::string_view modulePath);

// The folder is the program's folder, or with a non-zero StoreInUsersFolder
// on the NT family the user's application-data folder + "Telvaro\"; then
// "Instances\<id>\" for a numbered instance; then "Plugins\". Without an
// answer to the version query, without the base folder it needs, or without
// a module name, the location stays empty: no file is read or written.
SettingsLocation ResolveSettingsLocation(const SettingsInputs& inputs,
                                         std::string_view moduleName);

}  // namespace kestrimo
