// The tool's exit codes, the same for both commands.
#pragma once

namespace kestrimo {

constexpr int kExitDone = 0;
constexpr int kExitRuntimeError = 1;
constexpr int kExitUsageError = 2;
// detect: the clip has no logo; the clip cannot tell a logo from the picture.
constexpr int kExitNoLogo = 3;
constexpr int kExitCannotTell = 4;

}  // namespace kestrimo
