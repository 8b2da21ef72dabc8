// The equality proofs lean on these tools; they must notice what they guard.
#include <gtest/gtest.h>

#include "tests/support/KernelTesting.h"

namespace kestrimo::testing {
namespace {

TEST(GuardedBlock, NoticesWritesJustOutsideEitherEnd) {
  for (std::size_t offset : {0u, 1u, 3u, 15u}) {
    GuardedBlock block(37, offset);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(block.data()) % 16, offset);
    std::memset(block.data(), 0x5A, block.size());
    EXPECT_TRUE(block.GuardsIntact());
    block.data()[block.size()] ^= 1;
    EXPECT_FALSE(block.GuardsIntact());
    block.data()[block.size()] ^= 1;
    block.data()[-1] ^= 0x80;
    EXPECT_FALSE(block.GuardsIntact());
  }
}

TEST(BiasedFill, StaysAtTheEndsOfTheRange) {
  TestRng rng;
  std::uint8_t bytes[256];
  FillBytes(bytes, sizeof bytes, rng, Bias::Low);
  for (std::uint8_t b : bytes) EXPECT_LE(b, 1);
  FillBytes(bytes, sizeof bytes, rng, Bias::High);
  for (std::uint8_t b : bytes) EXPECT_GE(b, 254);
}

}  // namespace
}  // namespace kestrimo::testing
