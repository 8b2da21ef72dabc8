#include "platform/SettingsInputs.h"

#include <windows.h>
#include <shlobj.h>

#include <vector>

namespace kestrimo {
namespace {

// The extended version record first, the basic one if that fails.
bool QueryVersion(SettingsInputs& inputs) {
  OSVERSIONINFOEXA extended{};
  extended.dwOSVersionInfoSize = sizeof extended;
  DWORD platform = 0;
  if (GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&extended))) {
    platform = extended.dwPlatformId;
  } else {
    OSVERSIONINFOA basic{};
    basic.dwOSVersionInfoSize = sizeof basic;
    if (!GetVersionExA(&basic)) return false;
    platform = basic.dwPlatformId;
  }
  inputs.ntFamily = platform == VER_PLATFORM_WIN32_NT;
  return true;
}

// The first four bytes of the value as a little-endian number (missing bytes
// count as zero); a missing key or value gives 0.
std::uint32_t StoreInUsersFolder() {
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Telvaro", 0, KEY_READ, &key) != ERROR_SUCCESS)
    return 0;
  std::uint32_t value = 0;
  DWORD size = 0;
  if (RegQueryValueExA(key, "StoreInUsersFolder", nullptr, nullptr, nullptr, &size) ==
          ERROR_SUCCESS &&
      size <= 1024 * 1024) {
    std::vector<BYTE> data(size < 4 ? 4 : size, 0);
    DWORD got = static_cast<DWORD>(data.size());
    if (RegQueryValueExA(key, "StoreInUsersFolder", nullptr, nullptr, data.data(), &got) ==
        ERROR_SUCCESS)
      value = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<std::uint32_t>(data[3]) << 24);
  }
  RegCloseKey(key);
  return value;
}

// The roaming application-data folder, not created when it is missing.
std::string AppDataFolder() {
  char path[MAX_PATH + 1] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path)))
    return {};
  return path;
}

// At most MAX_PATH characters; a longer path counts as unknown.
std::string ProgramPath() {
  char path[MAX_PATH + 1] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::string(path, length);
}

}  // namespace

SettingsInputs GatherSettingsInputs() {
  SettingsInputs inputs;
  inputs.versionKnown = QueryVersion(inputs);
  inputs.storeInUsersFolder = StoreInUsersFolder();
  inputs.appDataFolder = AppDataFolder();
  inputs.programPath = ProgramPath();
  const char* commandLine = GetCommandLineA();
  inputs.commandLine = commandLine != nullptr ? commandLine : "";
  return inputs;
}

}  // namespace kestrimo
