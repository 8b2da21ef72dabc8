#include "platform/ModuleInfo.h"

#include <dlfcn.h>

#include <algorithm>

namespace kestrimo {
namespace {
bool ModuleOf(Dl_info& info) {
  return dladdr(reinterpret_cast<void*>(&OwnModuleHandle), &info) != 0;
}
}  // namespace

void* OwnModuleHandle() {
  Dl_info info{};
  return ModuleOf(info) ? info.dli_fbase : nullptr;
}

std::string OwnModulePath() {
  Dl_info info{};
  if (!ModuleOf(info) || info.dli_fname == nullptr) return {};
  std::string path = info.dli_fname;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
}

}  // namespace kestrimo
