// The tool from its command line to its exit code.
#pragma once

#include <string>
#include <vector>

#include "tools/kestrimo-host/Options.h"

namespace kestrimo {

constexpr int kExitDone = 0;
constexpr int kExitRuntimeError = 1;
constexpr int kExitUsageError = 2;

// Passes the input through the plug-in into the output; messages go to stderr.
int RunHost(const HostOptions& options);

// Parses the arguments after the program name and runs; never throws.
int HostMain(const std::vector<std::string>& args);

}  // namespace kestrimo
