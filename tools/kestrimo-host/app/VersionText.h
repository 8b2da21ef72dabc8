// kestrimo-host --version: the tool's version and the plug-in's.
#pragma once

#include <string>

namespace kestrimo {

// The tool's version, as built.
const char* ToolVersion();

// Prints both versions on stdout; the plug-in is loaded from `pluginPath`
// (empty: the default one) to ask its interface version. Returns the exit code.
int PrintVersions(const std::string& pluginPath);

}  // namespace kestrimo
