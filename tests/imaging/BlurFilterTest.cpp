#include "imaging/BlurFilter.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "base/AlignedMemory.h"
#include "tests/support/KernelTesting.h"

namespace kestrimo {
namespace {

using testing::TestRng;

// A block of 32-bit pixels addressed by visual (x, y) in either row order.
struct Picture {
  Picture(std::int32_t w, std::int32_t h, bool bottomUpRows)
      : width(w), height(h), bottomUp(bottomUpRows), pixels(std::size_t(w) * h, 0) {}
  std::uint32_t& At(std::int32_t x, std::int32_t y) {
    return pixels[x + std::size_t(width) * (bottomUp ? height - 1 - y : y)];
  }
  std::uint8_t Byte(std::int32_t x, std::int32_t y, int c) { return (At(x, y) >> (8 * c)) & 0xFF; }
  void Randomise(TestRng& rng) {
    for (auto& p : pixels) p = rng.Next();
  }
  void Blur(BlurFilter& filter, const Rect& rect, float wx, float wy) {
    filter.ApplyBlur(ImageView{pixels.data(), Size{width, height}, rect}, bottomUp, wx, wy);
  }
  std::int32_t width, height;
  bool bottomUp;
  std::vector<std::uint32_t> pixels;
};

// --- kernels ---------------------------------------------------------------

TEST(BlurKernel, RadiiOfWholeNumberWidths) {
  const std::int32_t expected[] = {0, 3, 5, 8, 10, 12, 14, 16, 18, 20, 21};
  BlurFilter filter;
  for (int w = 0; w <= 10; ++w) {
    filter.SetWidths(static_cast<float>(w));
    EXPECT_EQ(filter.HorizontalRadius(), expected[w]) << "width " << w;
    EXPECT_EQ(filter.VerticalRadius(), expected[w]) << "width " << w;
  }
}

TEST(BlurKernel, RadiusOneStartsBetweenPointTwentyAndPointTwentyOne) {
  BlurFilter filter;
  filter.SetWidths(0.20f);
  EXPECT_EQ(filter.HorizontalRadius(), 0);
  filter.SetWidths(0.21f);
  EXPECT_EQ(filter.HorizontalRadius(), 1);
}

TEST(BlurKernel, WidthOneWeightsAreNormalised) {
  BlurFilter filter;
  filter.SetWidths(1.0f);
  ASSERT_EQ(filter.HorizontalRadius(), 3);
  const float expected[] = {0.363038f, 0.240155f, 0.069520f, 0.008807f};
  const BlurEntry* k = filter.HorizontalKernel();
  for (int j = 0; j <= 3; ++j)
    for (int c = 0; c < 4; ++c) EXPECT_NEAR(k[j].lane[c], expected[j], 1e-6) << j << "/" << c;
  EXPECT_NEAR(k[0].lane[0] + 2 * (k[1].lane[0] + k[2].lane[0] + k[3].lane[0]), 1.0, 1e-6);
}

TEST(BlurKernel, HugeWidthGivesTheWidestBox) {
  // Weights near 1 make the sum grow by 2 per step, so the cut rule
  // 255 * weight / sum < 1 ends the loop at e = 128 for any width: radius 127,
  // all weights equal, well inside the 256 entries.
  BlurFilter filter;
  for (float w : {1e6f, std::numeric_limits<float>::infinity()}) {
    filter.SetWidths(w);
    EXPECT_EQ(filter.HorizontalRadius(), 127) << w;
    const BlurEntry* k = filter.HorizontalKernel();
    double total = k[0].lane[0];
    for (int j = 1; j <= 127; ++j) total += 2.0 * k[j].lane[0];
    EXPECT_NEAR(total, 1.0, 1e-5) << w;
    EXPECT_NEAR(k[127].lane[0], 1.0 / 255, 1e-6) << w;
  }
  filter.SetWidths(200.0f);
  EXPECT_LE(filter.HorizontalRadius(), 127);
}

TEST(BlurKernel, NegativeOrNanWidthMeansNoBlur) {
  BlurFilter filter;
  filter.SetWidths(-5.0f, std::numeric_limits<float>::quiet_NaN());
  EXPECT_EQ(filter.HorizontalRadius(), 0);
  EXPECT_EQ(filter.VerticalRadius(), 0);
}

TEST(BlurKernel, UnchangedWidthDoesNotRebuild) {
  BlurEntry* kernel = static_cast<BlurEntry*>(AllocateAligned(256 * sizeof(BlurEntry)));
  ASSERT_NE(kernel, nullptr);
  std::int32_t capacity = 256, radius = 0;
  float cached = 0.0f;
  BlurFilter::BuildKernel(kernel, capacity, cached, radius, 3.0f);
  EXPECT_EQ(radius, 8);
  kernel[0].lane[0] = -1.0f;  // would be overwritten by a rebuild
  radius = 99;
  BlurFilter::BuildKernel(kernel, capacity, cached, radius, 3.0f);
  EXPECT_EQ(radius, 99);
  EXPECT_EQ(kernel[0].lane[0], -1.0f);
  BlurFilter::BuildKernel(kernel, capacity, cached, radius, 3.5f);
  EXPECT_EQ(radius, 9);
  EXPECT_GT(kernel[0].lane[0], 0.0f);
  FreeAligned(kernel);
}

TEST(BlurKernel, SmallCapacityBoundsTheRadius) {
  BlurEntry* kernel = static_cast<BlurEntry*>(AllocateAligned(4 * sizeof(BlurEntry)));
  ASSERT_NE(kernel, nullptr);
  std::int32_t capacity = 4, radius = 0;
  float cached = 0.0f;
  BlurFilter::BuildKernel(kernel, capacity, cached, radius, 10.0f);
  EXPECT_EQ(radius, 3);
  EXPECT_NEAR(kernel[0].lane[0] + 2 * (kernel[1].lane[0] + kernel[2].lane[0] + kernel[3].lane[0]),
              1.0, 1e-6);
  FreeAligned(kernel);
  BlurEntry* none = nullptr;  // a missing array is asked for again
  capacity = 0;
  BlurFilter::BuildKernel(none, capacity, cached, radius, 2.0f);
  EXPECT_GT(radius, 0);
  EXPECT_GE(capacity, BlurFilter::kKernelCapacity);
  FreeAligned(none);
}

TEST(BlurKernel, DirectionsFollowTheirOwnWidths) {
  BlurFilter filter;
  filter.SetWidths(9.375f, 10.0f);  // a 720 x 576 frame with blur 10
  EXPECT_EQ(filter.HorizontalRadius(), 20);
  EXPECT_EQ(filter.VerticalRadius(), 21);
  filter.SetWidths(2.0f);  // equal widths again: the vertical kernel follows
  EXPECT_EQ(filter.VerticalRadius(), 5);
  for (int j = 0; j <= 5; ++j)
    EXPECT_EQ(filter.VerticalKernel()[j].lane[3], filter.HorizontalKernel()[j].lane[0]);
  filter.SetWidths(7.0f, 2.0f);
  filter.SetWidths(2.0f);  // vertical already holds 2: only horizontal changes
  EXPECT_EQ(filter.HorizontalRadius(), 5);
  EXPECT_EQ(filter.VerticalRadius(), 5);
}

// --- images ----------------------------------------------------------------

TEST(BlurImage, WidthZeroLeavesTheImageAsItWas) {
  TestRng rng;
  Picture pic(23, 17, true);
  pic.Randomise(rng);
  const auto before = pic.pixels;
  BlurFilter filter;
  pic.Blur(filter, Rect{0, 0, 23, 17}, 0.0f, 0.0f);
  EXPECT_EQ(pic.pixels, before);
}

TEST(BlurImage, UniformAreaStaysUniformToItsEdges) {
  BlurFilter filter;
  for (float w : {0.7f, 1.0f, 4.5f, 10.0f}) {
    Picture pic(31, 12, false);
    for (auto& p : pic.pixels) p = 0xFF01807Fu;
    const auto before = pic.pixels;
    pic.Blur(filter, Rect{0, 0, 31, 12}, w, w);
    EXPECT_EQ(pic.pixels, before) << "width " << w;
  }
}

TEST(BlurImage, SingleBrightPixelSpreadsSymmetrically) {
  BlurFilter filter;
  Picture pic(15, 15, true);
  pic.At(7, 7) = 0xFFFFFFFFu;
  pic.Blur(filter, Rect{0, 0, 15, 15}, 1.0f, 0.0f);  // row pass only
  const int row[] = {2, 18, 61, 93, 61, 18, 2};
  for (int x = 0; x < 15; ++x) {
    const int want = (x >= 4 && x <= 10) ? row[x - 4] : 0;
    for (int c = 0; c < 4; ++c) EXPECT_EQ(pic.Byte(x, 7, c), want) << x;
  }

  Picture both(15, 15, true);
  both.At(7, 7) = 0xFFFFFFFFu;
  both.Blur(filter, Rect{0, 0, 15, 15}, 1.0f, 1.0f);
  EXPECT_EQ(both.Byte(7, 7, 0), 34);  // 93 x 0.363038
  // The row pass rounds before the column pass, so the result is mirror
  // symmetric but not symmetric under swapping x and y.
  for (int y = 0; y < 15; ++y)
    for (int x = 0; x < 15; ++x) {
      EXPECT_EQ(both.At(x, y), both.At(14 - x, y)) << x << "," << y;
      EXPECT_EQ(both.At(x, y), both.At(x, 14 - y)) << x << "," << y;
    }
}

TEST(BlurImage, OffsetRectangleBlursOnlyItselfWithItsOwnEdges) {
  TestRng rng;
  const Rect rect{7, 5, 27, 22};
  for (bool bottomUp : {true, false}) {
    Picture pic(40, 30, bottomUp);
    pic.Randomise(rng);
    Picture alone(rect.Width(), rect.Height(), bottomUp);
    for (int y = 0; y < alone.height; ++y)
      for (int x = 0; x < alone.width; ++x) alone.At(x, y) = pic.At(rect.left + x, rect.top + y);
    const auto before = pic.pixels;
    Picture original = pic;

    BlurFilter filter;
    pic.Blur(filter, rect, 2.0f, 3.0f);
    alone.Blur(filter, Rect{0, 0, alone.width, alone.height}, 2.0f, 3.0f);
    for (int y = 0; y < 30; ++y)
      for (int x = 0; x < 40; ++x) {
        const bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
        const std::uint32_t want =
            inside ? alone.At(x - rect.left, y - rect.top) : original.At(x, y);
        ASSERT_EQ(pic.At(x, y), want) << x << "," << y << " bottomUp " << bottomUp;
      }
    EXPECT_NE(pic.pixels, before);
  }
}

TEST(BlurImage, RowOrdersMirrorEachOther) {
  TestRng rng;
  Picture up(33, 21, true);
  up.Randomise(rng);
  Picture down = up;
  down.bottomUp = false;
  BlurFilter filter;
  // The same memory read the other way up is the mirrored picture, so the
  // mirrored rectangle must give the same memory.
  up.Blur(filter, Rect{3, 2, 30, 9}, 1.5f, 2.5f);
  down.Blur(filter, Rect{3, 21 - 9, 30, 21 - 2}, 1.5f, 2.5f);
  EXPECT_EQ(up.pixels, down.pixels);
}

TEST(BlurImage, TopDownRectangleUsesTheFirstMemoryRows) {
  TestRng rng;
  Picture pic(10, 10, false);
  pic.Randomise(rng);
  const auto before = pic.pixels;
  BlurFilter filter;
  pic.Blur(filter, Rect{0, 0, 10, 4}, 2.0f, 2.0f);
  EXPECT_TRUE(std::equal(before.begin() + 40, before.end(), pic.pixels.begin() + 40));
  EXPECT_FALSE(std::equal(before.begin(), before.begin() + 40, pic.pixels.begin()));
}

TEST(BlurImage, HugeWidthOnASmallImageStaysInBounds) {
  TestRng rng;
  Picture pic(5, 3, true);
  pic.Randomise(rng);
  BlurFilter filter;
  pic.Blur(filter, Rect{0, 0, 5, 3}, 1e9f, 1e9f);
  EXPECT_EQ(filter.HorizontalRadius(), 127);
  EXPECT_GE(filter.LineCapacity(), 5 + 2 * 127);
}

TEST(BlurImage, LineBufferOnlyGrows) {
  BlurFilter filter;
  EXPECT_EQ(filter.LineCapacity(), 2048);
  Picture wide(3000, 2, true);
  wide.Blur(filter, Rect{0, 0, 3000, 2}, 1.0f, 1.0f);
  EXPECT_EQ(filter.LineCapacity(), 3006);
  Picture small(20, 20, true);
  small.Blur(filter, Rect{0, 0, 20, 20}, 1.0f, 1.0f);
  EXPECT_EQ(filter.LineCapacity(), 3006);
}

TEST(BlurImage, BadArgumentsDoNothing) {
  TestRng rng;
  Picture pic(12, 8, true);
  pic.Randomise(rng);
  const auto before = pic.pixels;
  BlurFilter filter;
  filter.ApplyBlur(ImageView{nullptr, Size{12, 8}, Rect{0, 0, 12, 8}}, true, 2.0f, 2.0f);
  pic.Blur(filter, Rect{4, 4, 4, 8}, 2.0f, 2.0f);     // empty
  pic.Blur(filter, Rect{20, 0, 30, 8}, 2.0f, 2.0f);   // outside
  pic.Blur(filter, Rect{0, -9, 12, -1}, 2.0f, 2.0f);  // outside
  filter.ApplyBlur(ImageView{pic.pixels.data(), Size{-12, 8}, Rect{0, 0, 12, 8}}, true, 2.0f,
                   2.0f);
  EXPECT_EQ(pic.pixels, before);
}

TEST(BlurImage, RectangleReachingPastTheBlockIsClipped) {
  TestRng rng;
  Picture pic(12, 8, true);
  pic.Randomise(rng);
  Picture clipped = pic;
  BlurFilter filter;
  pic.Blur(filter, Rect{-5, 3, 40, 100}, 1.0f, 1.0f);
  clipped.Blur(filter, Rect{0, 3, 12, 8}, 1.0f, 1.0f);
  EXPECT_EQ(pic.pixels, clipped.pixels);
}

}  // namespace
}  // namespace kestrimo
