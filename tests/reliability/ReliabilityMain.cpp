#include <gtest/gtest.h>

#include <cstdio>

#include "tests/reliability/ReliabilityOptions.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (!kestrimo::testing::ReadOptions(argc, argv)) {
    std::fprintf(stderr,
                 "usage: %s [--stress-seconds=S] [--soak-frames=N] [--library=PATH]\n"
                 "  (or KESTRIMO_STRESS_SECONDS, KESTRIMO_SOAK_FRAMES)\n",
                 argv[0]);
    return 2;
  }
  return RUN_ALL_TESTS();
}
