// The tool's exit codes, the same for both commands.
#pragma once

namespace kestrimo {

constexpr int kExitDone = 0;
constexpr int kExitRuntimeError = 1;
constexpr int kExitUsageError = 2;
// detect: 0 a logo found, 1 no logo in the stretch read, 2 a usage error,
// 3 any other error, 4 a stretch that cannot tell a logo from the picture.
constexpr int kExitNoLogo = 1;
constexpr int kExitDetectError = 3;
constexpr int kExitCannotTell = 4;

}  // namespace kestrimo
