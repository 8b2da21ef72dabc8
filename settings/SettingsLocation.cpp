#include "settings/SettingsLocation.h"

#include "settings/InstanceSwitch.h"

namespace kestrimo {
namespace {

std::size_t LastSeparator(std::string_view path) { return path.find_last_of("\\/"); }

std::string BaseFolder(const SettingsInputs& inputs) {
  if (inputs.ntFamily && inputs.storeInUsersFolder != 0) {
    if (inputs.appDataFolder.empty()) return {};
    std::string folder = inputs.appDataFolder;
    if (folder.back() != '\\') folder += '\\';
    return folder + "Telvaro\\";
  }
  const std::size_t slash = inputs.programPath.rfind('\\');
  if (slash == std::string::npos) return {};
  return inputs.programPath.substr(0, slash + 1);
}

}  // namespace

std::string ModuleBaseName(std::string_view modulePath) {
  const std::size_t slash = LastSeparator(modulePath);
  std::string_view name =
      slash == std::string_view::npos ? modulePath : modulePath.substr(slash + 1);
  const std::size_t dot = name.rfind('.');
  const std::string_view extension =
      dot == std::string_view::npos ? std::string_view() : name.substr(dot + 1);
  if (dot != std::string_view::npos) name = name.substr(0, dot);
  if (extension == "so" && name.size() > 3 && name.substr(0, 3) == "lib") name.remove_prefix(3);
  return std::string(name);
}

SettingsLocation ResolveSettingsLocation(const SettingsInputs& inputs,
                                         std::string_view moduleName) {
  SettingsLocation location;
  if (!inputs.versionKnown || moduleName.empty()) return location;
  std::string folder = BaseFolder(inputs);
  if (folder.empty()) return location;
  location.instanceId = ParseInstanceId(inputs.commandLine);
  if (!location.instanceId.empty()) folder += "Instances\\" + location.instanceId + "\\";
  folder += "Plugins\\";
  location.folder = folder;
  location.moduleName = moduleName;
  location.fileName = location.moduleName + ".ini";
  location.path = location.folder + location.fileName;
  return location;
}

}  // namespace kestrimo
