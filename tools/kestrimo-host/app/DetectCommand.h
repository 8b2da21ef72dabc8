// `kestrimo-host detect` from its arguments to its exit code.
#pragma once

#include <string>
#include <vector>

namespace kestrimo {

// Parses the arguments after "detect" and runs; never throws.
int DetectMain(const std::vector<std::string>& args);

}  // namespace kestrimo
