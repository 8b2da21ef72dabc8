// Runs the settings window scenarios against the plug-in library:
//   kestrimo_settings_window_test --library=PATH [--capture-dir=DIR] --gtest_filter=...
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>

#include "tests/ui/windows/WindowTesting.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int i = 1; i < argc; ++i) {
    const std::string argument = argv[i];
    if (argument.rfind("--library=", 0) == 0)
      kestrimo::testing::pluginLibraryPath = argument.substr(std::strlen("--library="));
    else if (argument.rfind("--capture-dir=", 0) == 0)
      kestrimo::testing::captureDir = argument.substr(std::strlen("--capture-dir="));
  }
  if (kestrimo::testing::pluginLibraryPath.empty()) {
    std::fprintf(stderr, "usage: %s --library=PATH [--capture-dir=DIR]\n", argv[0]);
    return 2;
  }
  return RUN_ALL_TESTS();
}
