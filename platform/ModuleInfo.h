// Facts about the plug-in library's own module.
#pragma once

#include <string>

namespace kestrimo {

// The module that holds this code: its instance handle on Windows, the
// library's load address elsewhere.
void* OwnModuleHandle();

// Full path of that module's file, with backslashes as folder separators on
// both targets; empty when it cannot be found.
std::string OwnModulePath();

}  // namespace kestrimo
