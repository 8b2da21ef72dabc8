// The blur weights in fixed point: known values (the same on every target),
// and, where the test's own double arithmetic is SSE2, agreement with the
// double formula exp(-e² / (2 s²)) rounded to float.
#include "imaging/GaussianWeight.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

#include "tests/support/KernelTesting.h"

namespace kestrimo {
namespace {

std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

TEST(GaussianWeight, KnownWeights) {
  const struct {
    std::int32_t e;
    float s;
    std::uint32_t expected;
  } cases[] = {
      {1, 1.1f, 0x3F295906},
      {3, 1.1f, 0x3CC6B8C0},
      {1, 0.1f, 0x1B692C01},  // the largest argument the kernel asks for: 50
      {40, 10.1f, 0x39CDE867},
      {1, 1e30f, 0x3F800000},
      {5, std::numeric_limits<float>::infinity(), 0x3F800000},
      {255, 0.1f, 0x00000000},  // an argument beyond 64
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Bits(GaussianWeight(c.e, c.s)), c.expected) << c.e << " " << c.s;
  }
}

#if defined(__SSE2_MATH__)
TEST(GaussianWeight, AgreesWithTheDoubleFormula) {
  testing::TestRng rng;
  for (int i = 0; i < 20000; ++i) {
    const float s = 0.1f + static_cast<float>(rng.Next() % 5000000u) / 1000.0f;
    const std::int32_t e = rng.Range(1, 255);
    const double argument =
        static_cast<double>(e) * e / (2.0 * static_cast<double>(s) * static_cast<double>(s));
    if (argument > 50.0) continue;  // beyond what the kernel asks for
    ASSERT_EQ(Bits(GaussianWeight(e, s)), Bits(static_cast<float>(std::exp(-argument))))
        << e << " " << s;
  }
}
#endif

}  // namespace
}  // namespace kestrimo
