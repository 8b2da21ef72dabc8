// The tool from its command line to its exit code.
#pragma once

#include <string>
#include <vector>

#include "tools/kestrimo-host/app/Options.h"
#include "tools/kestrimo-host/process/ExitCodes.h"

namespace kestrimo {

// Passes the input through the plug-in into the output; messages go to stderr.
int RunHost(const HostOptions& options);

// Parses the arguments after the program name and runs; never throws.
int HostMain(const std::vector<std::string>& args);

}  // namespace kestrimo
