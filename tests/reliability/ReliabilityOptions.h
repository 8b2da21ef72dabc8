// Run lengths of the reliability tests, from the command line or the
// environment, so that CI runs them briefly and a longer run gives figures.
#pragma once

#include <cstdint>
#include <string>

namespace kestrimo::testing {

struct ReliabilityOptions {
  double stressSeconds = 2.0;       // --stress-seconds=S or KESTRIMO_STRESS_SECONDS
  std::int64_t soakFrames = 1000000;  // --soak-frames=N or KESTRIMO_SOAK_FRAMES
  std::string library;              // --library=PATH: the plug-in, for the export tests
};

ReliabilityOptions& Options();

// Reads the environment first, then the arguments (which win); returns false
// on a value that is not a positive number.
bool ReadOptions(int argc, char** argv);

}  // namespace kestrimo::testing
