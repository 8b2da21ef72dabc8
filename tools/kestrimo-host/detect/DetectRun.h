// `kestrimo-host detect`: from a stretch of a recording to a mask picture and
// the settings that use it.
#pragma once

#include <string>

#include "tools/kestrimo-host/detect/DetectOptions.h"

namespace kestrimo {

// Runs the detection; messages and progress go to stderr, the settings lines
// (without --write) to stdout. With --write, `settingsFile` is the file to
// change (empty: not known). Returns the tool's exit code.
int RunDetect(const DetectOptions& options, const std::string& settingsFile);

}  // namespace kestrimo
