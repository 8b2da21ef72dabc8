// Float results of double formulas, computed in integers: known values (the
// same on every target), and, where the test's own double arithmetic is SSE2
// (one rounding per operation), agreement with it on random inputs.
#include "base/DoubleRounding.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <limits>

#include "tests/support/KernelTesting.h"

namespace kestrimo {
namespace {

constexpr float kPerColumn = 0.0013020833721384406f;  // 0x3AAAAAAB
constexpr float kPerRow = 0.0017361111240461469f;     // 0x3AE38E39

std::uint32_t Bits(float value) { return std::bit_cast<std::uint32_t>(value); }

TEST(DoubleRounding, SumWithTheDoubleTenth) {
  const struct {
    float width;
    std::uint32_t expected;
  } cases[] = {
      {0.0f, 0x3DCCCCCD},
      {std::bit_cast<float>(1u), 0x3DCCCCCD},  // the smallest subnormal
      {1.0f, 0x3F8CCCCD},
      {9.375f, 0x4117999A},
      {123456.789f, 0x47F12072},
      {16777218.0f, 0x4B800001},  // 0.1 is below half a step
      {std::numeric_limits<float>::max(), 0x7F7FFFFF},
      {std::numeric_limits<float>::infinity(), 0x7F800000},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Bits(DoubleSumToFloat(c.width, kDoubleTenth)), c.expected) << c.width;
  }
}

TEST(DoubleRounding, ProductOfThreeFactors) {
  const struct {
    std::int32_t a;
    std::uint32_t b;
    float c;
    std::uint32_t expected;
  } cases[] = {
      {720, 10, kPerColumn, 0x41160000},   // 9.375
      {576, 1, kPerRow, 0x3F800000},       // 1
      {-720, 10, kPerColumn, 0xC1160000},  // -9.375
      {-5, 0, kPerColumn, 0x80000000},     // -0, as in double
      {0, 0, kPerColumn, 0x00000000},
      {1920, 4000000000u, kPerRow, 0x5046AEA1},
      // a × b beyond 2^53: double rounds it before the multiply by c.
      {std::numeric_limits<std::int32_t>::max(), std::numeric_limits<std::uint32_t>::max(),
       kPerColumn, 0x5A2AAAAB},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Bits(DoubleProductToFloat(c.a, c.b, c.c)), c.expected) << c.a << " " << c.b;
  }
}

#if defined(__SSE2_MATH__)
TEST(DoubleRounding, AgreesWithSse2DoubleArithmetic) {
  testing::TestRng rng;
  for (int i = 0; i < 200000; ++i) {
    // Any non-negative finite float; every fourth one below 2^16.
    std::uint32_t bits = rng.Next() % 0x7F800000u;
    if (i % 4 == 0) bits = 0x3F800000u + rng.Next() % 0x08000000u;
    const float width = std::bit_cast<float>(bits);
    ASSERT_EQ(Bits(DoubleSumToFloat(width, kDoubleTenth)),
              Bits(static_cast<float>(static_cast<double>(width) + 0.1)))
        << std::hex << bits;

    const auto a = static_cast<std::int32_t>(rng.Next()) >> rng.Range(0, 31);
    const std::uint32_t b = rng.Next() >> rng.Range(0, 31);
    const float c = i % 2 == 0 ? kPerColumn : kPerRow;
    ASSERT_EQ(Bits(DoubleProductToFloat(a, b, c)),
              Bits(static_cast<float>(static_cast<double>(a) * static_cast<double>(b) *
                                      static_cast<double>(c))))
        << a << " " << b;
  }
}
#endif

}  // namespace
}  // namespace kestrimo
