// The plug-in library under test, loaded once by path through its exports.
#pragma once

#include <string>

#include "model/HostRecords.h"

namespace kestrimo::testing {

// Set by main from --library=PATH.
extern std::string pluginLibraryPath;

// The loaded library's exports; null when it could not be loaded.
PluginVersionExport VersionExport();
PluginDescriptorExport DescriptorExport();
const std::string& LoadError();

}  // namespace kestrimo::testing
