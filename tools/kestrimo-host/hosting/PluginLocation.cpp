#include "tools/kestrimo-host/hosting/PluginLocation.h"

#if defined(_WIN32)
#include <stdlib.h>
#else
#include <unistd.h>

#include <climits>
#endif

namespace kestrimo {

#if defined(_WIN32)

std::string ExecutableFolder() {
  // The runtime records the executable's full path at start-up.
  const char* path = _pgmptr;
  if (path == nullptr) return {};
  const std::string full(path);
  const auto slash = full.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

const char* PluginLibraryName() { return "KRD_Kestrimo.dll"; }

#else

std::string ExecutableFolder() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return {};
  const std::string full(path, static_cast<std::size_t>(length));
  const auto slash = full.rfind('/');
  return slash == std::string::npos ? std::string() : full.substr(0, slash + 1);
}

const char* PluginLibraryName() { return "libKRD_Kestrimo.so"; }

#endif

std::string PluginPathOr(const std::string& path) {
  if (!path.empty()) return path;
  const std::string beside = ExecutableFolder() + PluginLibraryName();
#if !defined(_WIN32)
  // Installed, the tool is in bin/ and the library in lib/ beside it.
  const std::string installed = ExecutableFolder() + "../lib/" + PluginLibraryName();
  if (access(beside.c_str(), F_OK) != 0 && access(installed.c_str(), F_OK) == 0) return installed;
#endif
  return beside;
}

}  // namespace kestrimo
