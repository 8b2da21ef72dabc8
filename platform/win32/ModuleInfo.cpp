#include "platform/ModuleInfo.h"

#include <windows.h>

namespace kestrimo {

void* OwnModuleHandle() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                         GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&OwnModuleHandle), &module);
  return module;
}

std::string OwnModulePath() {
  char path[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameA(static_cast<HMODULE>(OwnModuleHandle()),
                                          path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return {};
  return std::string(path, length);
}

}  // namespace kestrimo
