// `kestrimo-host detect`: from a stretch of a recording to a mask picture and
// the settings that use it.
#pragma once

#include <string>
#include <vector>

#include "tools/kestrimo-host/DetectOptions.h"

namespace kestrimo {

// Runs the detection; messages and progress go to stderr, the settings lines
// (without --write) to stdout. Returns the tool's exit code.
int RunDetect(const DetectOptions& options);

// Parses the arguments after "detect" and runs; never throws.
int DetectMain(const std::vector<std::string>& args);

}  // namespace kestrimo
