// Reference-raster scaling with the Windows rounding, and the rounding itself.
#include <gtest/gtest.h>

#include <cstdint>

#include "base/FrameGeometry.h"
#include "base/MulDiv.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace kestrimo {
namespace {

FrameGeometry Frame(std::int32_t width, std::int32_t height) {
  FrameGeometry g;
  g.SetFrameFormat(width, height, 0);
  return g;
}

TEST(MulDivRounding, HalvesGoAwayFromZero) {
  EXPECT_EQ(MulDiv(15, 1, 2), 8);
  EXPECT_EQ(MulDiv(-15, 1, 2), -8);
  EXPECT_EQ(MulDiv(15, -1, 2), -8);
  EXPECT_EQ(MulDiv(15, 1, -2), -8);
  EXPECT_EQ(MulDiv(-15, -1, -2), -8);
  EXPECT_EQ(MulDiv(-15, -1, 2), 8);
  EXPECT_EQ(MulDiv(14, 1, 4), 4);   // 3.5
  EXPECT_EQ(MulDiv(13, 1, 4), 3);   // 3.25
  EXPECT_EQ(MulDiv(-13, 1, 4), -3);
  EXPECT_EQ(MulDiv(2, 1, 3), 1);    // odd divisors round to nearest too
  EXPECT_EQ(MulDiv(1, 1, 3), 0);
}

TEST(MulDivRounding, ProductIsFormedIn64Bits) {
  EXPECT_EQ(MulDiv(2000000000, 3, 4), 1500000000);
  EXPECT_EQ(MulDiv(INT32_MAX, INT32_MAX, INT32_MAX), INT32_MAX);
  EXPECT_EQ(MulDiv(INT32_MIN, 1, 2), -1073741824);
}

TEST(MulDivRounding, ZeroDivisorAndOverflowGiveMinusOne) {
  EXPECT_EQ(MulDiv(5, 5, 0), -1);
  EXPECT_EQ(MulDiv(INT32_MAX, 2, 1), -1);
  EXPECT_EQ(MulDiv(INT32_MIN, 1, 1), -1) << "the most negative value does not count as fitting";
  EXPECT_EQ(MulDiv(INT32_MIN, -1, 1), -1);
  EXPECT_EQ(MulDiv(INT32_MIN, 1, -1), -1);
}

#ifdef _WIN32
// Our own version must match the system's on every input class. Left out: the
// inputs where the system negates INT32_MIN to make the divisor positive and
// overflows (a divisor of INT32_MIN, or INT32_MIN over a negative divisor);
// the plug-in only ever divides by small positive numbers.
bool SystemOverflows(std::int32_t a, std::int32_t c) {
  return c == INT32_MIN || (a == INT32_MIN && c < 0);
}

TEST(MulDivRounding, MatchesTheSystemMulDiv) {
  const std::int32_t values[] = {0, 1, -1, 2, -2, 3, 7, -7, 15, 100, -100, 125, 768, 576,
                                 720, 1920, 46341, -46341, 65536, 1 << 30, INT32_MAX,
                                 INT32_MIN, INT32_MIN + 1, INT32_MAX - 1};
  std::uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return static_cast<std::int32_t>(seed);
  };
  int compared = 0;
  for (std::int32_t a : values)
    for (std::int32_t b : values)
      for (std::int32_t c : values) {
        if (SystemOverflows(a, c)) continue;
        ASSERT_EQ(MulDiv(a, b, c), ::MulDiv(a, b, c)) << a << " " << b << " " << c;
        ++compared;
      }
  for (int i = 0; i < 200000; ++i) {
    const std::int32_t a = next() >> (next() & 31), b = next() >> (next() & 31);
    const std::int32_t c = next() >> (next() & 31);
    if (SystemOverflows(a, c)) continue;
    ASSERT_EQ(MulDiv(a, b, c), ::MulDiv(a, b, c)) << a << " " << b << " " << c;
    ++compared;
  }
  EXPECT_GT(compared, 200000);
}
#endif

TEST(ReferenceRaster, ScalesToA720By576Frame) {
  const FrameGeometry g = Frame(720, 576);
  EXPECT_EQ(g.ScalePoint({110, 95}), (Point{103, 95}));  // 103.125
  EXPECT_EQ(g.ScaleSize({100, 70}), (Size{94, 70}));     // 93.75
  EXPECT_EQ(g.ScaleSize({120, 90}), (Size{113, 90}));    // 112.5
  EXPECT_EQ(g.ScalePoint({8, 0}), (Point{8, 0}));        // 7.5
  EXPECT_EQ(g.ScalePoint({-8, 0}), (Point{-8, 0}));      // -7.5
  EXPECT_EQ(g.ScaleSize({768, 576}), (Size{720, 576}));
}

TEST(ReferenceRaster, ScalesBothAxesIndependently) {
  EXPECT_EQ(Frame(352, 288).ScaleSize({100, 70}), (Size{46, 35}));
  EXPECT_EQ(Frame(1920, 1080).ScalePoint({768, 576}), (Point{1920, 1080}));
  EXPECT_EQ(Frame(1920, 1080).ScalePoint({-1, -1}), (Point{-3, -2}));  // -2.5, -1.875
}

TEST(ReferenceRaster, IsTheIdentityAt768By576) {
  const FrameGeometry g = Frame(768, 576);
  for (std::int32_t v : {-300, -1, 0, 1, 95, 110, 767, 768, 5000}) {
    EXPECT_EQ(g.ScalePoint({v, v}), (Point{v, v}));
    EXPECT_EQ(g.ScaleSize({v, v}), (Size{v, v}));
  }
}

TEST(ReferenceRaster, EverythingIsZeroBeforeAnyFormat) {
  const FrameGeometry g;
  EXPECT_EQ(g.ScalePoint({110, 95}), (Point{0, 0}));
  EXPECT_EQ(g.ScaleSize({768, 576}), (Size{0, 0}));
}

}  // namespace
}  // namespace kestrimo
