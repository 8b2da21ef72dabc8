// The tool's exit codes, the same for both commands.
#pragma once

namespace kestrimo {

constexpr int kExitDone = 0;
constexpr int kExitRuntimeError = 1;
constexpr int kExitUsageError = 2;

}  // namespace kestrimo
