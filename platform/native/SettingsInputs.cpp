#include "platform/SettingsInputs.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace kestrimo {
namespace {

std::string WithBackslashes(std::string path) {
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr ? value : "";
}

// The registry switch is stood in for by an environment variable, read as a
// number (decimal, or hexadecimal after 0x); missing or empty counts as 0.
std::uint32_t StoreInUsersFolder() {
  const std::string value = Environment("TELVARO_STORE_IN_USERS_FOLDER");
  if (value.empty()) return 0;
  return static_cast<std::uint32_t>(std::strtoull(value.c_str(), nullptr, 0));
}

// $XDG_CONFIG_HOME when it is an absolute path, otherwise ~/.config.
std::string AppDataFolder() {
  const std::string config = Environment("XDG_CONFIG_HOME");
  if (!config.empty() && config[0] == '/') return WithBackslashes(config);
  const std::string home = Environment("HOME");
  if (home.empty()) return {};
  return WithBackslashes(home + "/.config");
}

std::string ProgramPath() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || length >= static_cast<ssize_t>(sizeof path)) return {};
  return WithBackslashes(std::string(path, static_cast<std::size_t>(length)));
}

// The arguments, separated by NULs in the file, joined by blanks.
std::string CommandLine() {
  std::ifstream file("/proc/self/cmdline", std::ios::binary);
  std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
  while (!text.empty() && text.back() == '\0') text.pop_back();
  std::replace(text.begin(), text.end(), '\0', ' ');
  return text;
}

}  // namespace

SettingsInputs GatherSettingsInputs() {
  SettingsInputs inputs;
  inputs.versionKnown = true;
  inputs.ntFamily = true;  // the native build counts as the NT family
  inputs.storeInUsersFolder = StoreInUsersFolder();
  inputs.appDataFolder = AppDataFolder();
  inputs.programPath = ProgramPath();
  inputs.commandLine = CommandLine();
  return inputs;
}

}  // namespace kestrimo
