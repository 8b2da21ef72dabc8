#include "tests/integration/PluginLibrary.h"

#include "platform/DynamicLibrary.h"

namespace kestrimo::testing {

std::string pluginLibraryPath;

namespace {
DynamicLibrary& Library() {
  static DynamicLibrary library;
  if (!library.IsOpen()) library.Open(pluginLibraryPath);
  return library;
}
}  // namespace

PluginVersionExport VersionExport() {
  return reinterpret_cast<PluginVersionExport>(Library().Find(kVersionExportName));
}

PluginDescriptorExport DescriptorExport() {
  return reinterpret_cast<PluginDescriptorExport>(Library().Find(kDescriptorExportName));
}

const std::string& LoadError() { return Library().Error(); }

}  // namespace kestrimo::testing
