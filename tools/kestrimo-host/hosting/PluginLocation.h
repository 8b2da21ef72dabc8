// Where the plug-in library is looked for when no path is given: beside the
// running executable, under the name it has on this target (natively, when
// it is not there, in ../lib/ as installed).
#pragma once

#include <string>

namespace kestrimo {

// Folder of the running executable with its trailing separator; empty if unknown.
std::string ExecutableFolder();

// File name of the plug-in library on this target.
const char* PluginLibraryName();

// `path`, or the default library when `path` is empty.
std::string PluginPathOr(const std::string& path);

}  // namespace kestrimo
