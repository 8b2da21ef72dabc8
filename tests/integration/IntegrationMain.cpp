#include <gtest/gtest.h>

#include <cstring>

#include "tests/integration/PluginLibrary.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  const char* prefix = "--library=";
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], prefix, std::strlen(prefix)) == 0)
      kestrimo::testing::pluginLibraryPath = argv[i] + std::strlen(prefix);
  if (kestrimo::testing::pluginLibraryPath.empty()) {
    std::fprintf(stderr, "usage: %s --library=PATH\n", argv[0]);
    return 2;
  }
  return RUN_ALL_TESTS();
}
