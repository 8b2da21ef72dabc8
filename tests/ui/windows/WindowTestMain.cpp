#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>

#include "tests/ui/windows/WindowTesting.h"

// --library=PATH: the plug-in library whose resources the windows use.
// --capture-dir=DIR: also write pictures of the windows into DIR.
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
  // Under Wine, windows need the X display that the prefix's desktop uses.
  HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                               nullptr, nullptr);
  if (probe == nullptr) {
    std::fprintf(stderr, "no window can be created: run under a display (xvfb-run)\n");
    return 1;
  }
  DestroyWindow(probe);
  return RUN_ALL_TESTS();
}
