// Runs the settings round trip of one scenario against the plug-in library:
//   kestrimo_settings_roundtrip_test --library=PATH --scenario=NAME [host switches]
// Further arguments (such as -inst:3) stay on the process's command line,
// where the plug-in looks for the host's switches.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "tests/integration/PluginLibrary.h"
#include "tests/integration/SettingsRoundTrip.h"

namespace kestrimo::testing {
std::string roundTripScenario;
}  // namespace kestrimo::testing

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind("--library=", 0) == 0)
      kestrimo::testing::pluginLibraryPath = argument.substr(std::strlen("--library="));
    if (argument.rfind("--scenario=", 0) == 0)
      kestrimo::testing::roundTripScenario = argument.substr(std::strlen("--scenario="));
  }
  if (kestrimo::testing::pluginLibraryPath.empty() || kestrimo::testing::roundTripScenario.empty()) {
    std::fprintf(stderr, "usage: %s --library=PATH --scenario=NAME [-inst:X]\n", argv[0]);
    return 2;
  }
  return RUN_ALL_TESTS();
}
