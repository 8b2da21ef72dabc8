// The alpha and colour-key passes, run through both kernel choices.
#include "imaging/AlphaOps.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "imaging/CpuFeatures.h"
#include "tests/support/KernelTesting.h"

namespace kestrimo {
namespace {

constexpr std::uint32_t kDefaultColorKey = 0x00FF8000;  // red 0, green 128, blue 255
constexpr std::uint32_t kKeyPixel = 0x000080FF;         // bytes FF 80 00 (B, G, R)

// A 32-bit image addressed by visual row, stored bottom-up unless asked.
struct Image {
  Image(int width, int height, Size allocSize, bool topDown = false)
      : size(allocSize), rect{0, 0, width, height}, topDown(topDown),
        pixels(static_cast<std::size_t>(allocSize.width) * allocSize.height) {
    for (std::size_t i = 0; i < pixels.size(); ++i)
      pixels[i] = 0x9E3779B9u * static_cast<std::uint32_t>(i + 1);
  }
  Image(int width, int height) : Image(width, height, Size{width, height}) {}
  std::uint32_t& At(int x, int y) {
    const int row = topDown ? y : size.height - 1 - y;
    return pixels[static_cast<std::size_t>(row) * size.width + x];
  }
  ImageView View() { return View(rect); }
  ImageView View(const Rect& area) { return {pixels.data(), size, area}; }
  ConstImageView View(const Rect& area) const { return {pixels.data(), size, area}; }
  Size size;
  Rect rect;
  bool topDown;
  std::vector<std::uint32_t> pixels;
};

// Runs StampKeyColour into a copy of `dest` that has guard bytes on both
// sides, checks them, and copies the result back.
void StampGuarded(const Image& source, const Rect& srcRect, Image& dest, Point position,
                  bool invert) {
  const std::size_t bytes = dest.pixels.size() * 4;
  testing::GuardedBlock block(bytes, 0);
  std::memcpy(block.data(), dest.pixels.data(), bytes);
  StampKeyColour(source.View(srcRect), ImageView{block.as<std::uint32_t>(), dest.size, dest.rect},
                 position, kDefaultColorKey, invert);
  EXPECT_TRUE(block.GuardsIntact());
  std::memcpy(dest.pixels.data(), block.data(), bytes);
}

class AlphaOpsTest : public ::testing::TestWithParam<KernelChoice> {
 protected:
  void SetUp() override { SetKernelChoice(GetParam()); }
  void TearDown() override { SetKernelChoice(KernelChoice::Best); }
};

TEST(ColourKey, DefaultKeyMatchesBytesFF8000) {
  EXPECT_EQ(KeyFromColour(kDefaultColorKey), kKeyPixel);
  EXPECT_EQ(KeyFromColour(0xAA123456), 0x00563412u);
}

TEST_P(AlphaOpsTest, SetAlphaOutsideKeyLeavesOnlyKeyPixelsOpaque) {
  Image image(7, 3, Size{9, 4});
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 7; ++x) image.At(x, y) = 0xFF000000u | (0x010203u * (x + 7 * y + 1));
  image.At(2, 0) = 0xFF000000u | kKeyPixel;
  image.At(6, 2) = 0xFF000000u | kKeyPixel;
  image.At(3, 1) = kKeyPixel;                // a key pixel already transparent
  image.At(4, 1) = 0x40000000u | kKeyPixel;  // and one half transparent
  image.At(5, 1) = 0xFF0080FEu;              // one bit off the key
  const auto before = image.pixels;
  SetAlphaOutsideKey(image.View(), kDefaultColorKey, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 9; ++x) {
      const std::uint32_t was = before[static_cast<std::size_t>(3 - y) * 9 + x];
      const bool inside = x < 7 && y < 3;
      const bool key = (was & 0x00FFFFFF) == kKeyPixel;
      const std::uint32_t expected = inside && !key ? was & 0x00FFFFFF : was;
      EXPECT_EQ(image.At(x, y), expected) << x << "," << y;
    }
  EXPECT_EQ(image.At(3, 1), kKeyPixel);
  EXPECT_EQ(image.At(5, 1), 0x000080FEu);
}

TEST_P(AlphaOpsTest, SetAlphaOutsideKeyWritesTheGivenAlpha) {
  Image image(5, 1);
  image.At(0, 0) = 0x00123456;
  image.At(1, 0) = kKeyPixel;
  SetAlphaOutsideKey(image.View(), kDefaultColorKey, 0x7F);
  EXPECT_EQ(image.At(0, 0), 0x7F123456u);
  EXPECT_EQ(image.At(1, 0), kKeyPixel);
}

TEST_P(AlphaOpsTest, RecolourVisibleSkipsTransparentPixels) {
  Image image(6, 2, Size{8, 3});
  image.At(0, 0) = 0x00ABCDEF;
  image.At(1, 0) = 0x01ABCDEF;
  image.At(5, 1) = 0x00000000;
  image.At(4, 1) = 0xFF000000;
  const auto before = image.pixels;
  RecolourVisible(image.View(), kDefaultColorKey);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 8; ++x) {
      const std::uint32_t was = before[static_cast<std::size_t>(2 - y) * 8 + x];
      const bool inside = x < 6 && y < 2;
      const std::uint32_t expected =
          inside && (was >> 24) != 0 ? (was & 0xFF000000) | kKeyPixel : was;
      EXPECT_EQ(image.At(x, y), expected) << x << "," << y;
    }
  EXPECT_EQ(image.At(0, 0), 0x00ABCDEFu);
  EXPECT_EQ(image.At(1, 0), 0x010080FFu);
  EXPECT_EQ(image.At(4, 1), 0xFF0080FFu);
}

// Stamps a source with key pixels on its diagonal at `position` and checks
// every destination pixel against the source pixel that lands on it.
void CheckStamp(Point position, bool invert) {
  constexpr std::uint32_t kOpaqueKey = 0xFF000000u | kKeyPixel;
  Image source(6, 5, Size{8, 6});
  const Rect srcRect{1, 1, 6, 5};  // 5 x 4 from (1, 1)
  for (int i = 0; i < 6; ++i) source.At(i, i % 6) = kOpaqueKey;
  source.At(3, 2) = 0x7F000000u | kKeyPixel;  // key colour, not opaque: differs
  Image dest(7, 6, Size{7, 6});
  const auto before = dest.pixels;
  const auto sourceBefore = source.pixels;
  StampGuarded(source, srcRect, dest, position, invert);
  EXPECT_EQ(source.pixels, sourceBefore);
  for (int y = 0; y < 6; ++y)
    for (int x = 0; x < 7; ++x) {
      const int sx = x - position.x + srcRect.left, sy = y - position.y + srcRect.top;
      const bool covered = sx >= srcRect.left && sx < srcRect.right && sy >= srcRect.top &&
                           sy < srcRect.bottom;
      const std::uint32_t was = before[static_cast<std::size_t>(5 - y) * 7 + x];
      const bool stamp = covered && ((source.At(sx, sy) == kOpaqueKey) != invert);
      EXPECT_EQ(dest.At(x, y), stamp ? kOpaqueKey : was)
          << "at " << x << "," << y << " position " << position.x << "," << position.y
          << " invert " << invert;
    }
}

TEST_P(AlphaOpsTest, StampKeyColourWritesOnlyTheOverlap) {
  for (bool invert : {false, true})
    for (Point position : {Point{0, 0}, Point{1, 2}, Point{-2, -1}, Point{4, 3}, Point{-3, 4},
                           Point{5, -2}})
      CheckStamp(position, invert);
}

TEST_P(AlphaOpsTest, StampKeyColourInvertedWithoutKeyMarksTheClippedArea) {
  Image source(4, 4);
  Image dest(5, 5);
  const auto before = dest.pixels;
  StampGuarded(source, source.rect, dest, Point{3, -1}, true);
  for (int y = 0; y < 5; ++y)
    for (int x = 0; x < 5; ++x) {
      const bool clipped = x >= 3 && y <= 2;
      const std::uint32_t was = before[static_cast<std::size_t>(4 - y) * 5 + x];
      EXPECT_EQ(dest.At(x, y), clipped ? 0xFF0080FFu : was) << x << "," << y;
    }
}

TEST_P(AlphaOpsTest, StampKeyColourOutsideOrAbsurdDoesNothing) {
  Image source(4, 4);
  Image dest(5, 5);
  const auto before = dest.pixels;
  for (Point position : {Point{5, 0}, Point{0, -4}, Point{INT32_MAX, 0}, Point{0, INT32_MIN},
                         Point{INT32_MAX - 2, INT32_MAX - 1}})
    StampKeyColour(source.View(), dest.View(), position, kDefaultColorKey, true);
  StampKeyColour(source.View(Rect{INT32_MIN, 0, INT32_MAX, 4}), dest.View(), Point{0, 0},
                 kDefaultColorKey, true);
  StampKeyColour(ConstImageView{nullptr, source.size, source.rect}, dest.View(), Point{},
                 kDefaultColorKey, true);
  StampKeyColour(source.View(Rect{2, 2, 2, 4}), dest.View(), Point{}, kDefaultColorKey, true);
  EXPECT_EQ(dest.pixels, before);
}

// The mask is bottom-up and the YUV work buffer top-down; allocations of
// different heights make a wrong pairing of rows show.
TEST_P(AlphaOpsTest, MaskAlphaGoesToByteTwoOfTheYuvBufferRowForRow) {
  Image mask(5, 3, Size{6, 5});
  Image work(5, 3, Size{7, 4}, true);
  const auto before = work.pixels;
  CopyMaskAlphaToYuv(mask.View(), work.View());
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 7; ++x) {
      const std::uint32_t was = before[static_cast<std::size_t>(y) * 7 + x];
      const std::uint32_t expected =
          x < 5 && y < 3 ? (was & 0xFF00FFFF) | (mask.At(x, y) >> 24) << 16 : was;
      EXPECT_EQ(work.At(x, y), expected) << x << "," << y;
    }
}

TEST_P(AlphaOpsTest, MaskAlphaGoesToByteThreeOfTheBgrBufferRowForRow) {
  Image mask(4, 3, Size{6, 5});
  Image work(4, 3, Size{5, 7});
  const auto before = work.pixels;
  CopyMaskAlphaToBgr(mask.View(), work.View());
  for (int y = 0; y < 7; ++y)
    for (int x = 0; x < 5; ++x) {
      const std::uint32_t was = before[static_cast<std::size_t>(6 - y) * 5 + x];
      const std::uint32_t expected =
          x < 4 && y < 3 ? (was & 0x00FFFFFF) | (mask.At(x, y) & 0xFF000000) : was;
      EXPECT_EQ(work.At(x, y), expected) << x << "," << y;
    }
}

// The size is the mask's, cut to what the work buffer holds.
TEST_P(AlphaOpsTest, MaskAlphaCopyIsCutToBothImages) {
  Image mask(6, 6);
  Image work(3, 2, Size{3, 2}, true);
  const Rect absurd{INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX};
  CopyMaskAlphaToYuv(mask.View(absurd), work.View(absurd));
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) EXPECT_EQ(work.At(x, y) >> 16 & 0xFF, mask.At(x, y) >> 24);
}

TEST_P(AlphaOpsTest, MissingImagesAndEmptyRectanglesDoNothing) {
  Image mask(4, 4);
  Image work(4, 4);
  const auto before = work.pixels;
  CopyMaskAlphaToBgr(ConstImageView{nullptr, mask.size, mask.rect}, work.View());
  CopyMaskAlphaToBgr(mask.View(Rect{1, 0, 1, 4}), work.View());
  CopyMaskAlphaToYuv(mask.View(), work.View(Rect{0, 3, 4, 2}));
  CopyMaskAlphaToYuv(ConstImageView{mask.pixels.data(), Size{-4, 4}, mask.rect}, work.View());
  SetAlphaOutsideKey(work.View(Rect{}), kDefaultColorKey, 0);
  SetAlphaOutsideKey(ImageView{nullptr, work.size, work.rect}, kDefaultColorKey, 0);
  RecolourVisible(ImageView{work.pixels.data(), Size{0, 0}, work.rect}, kDefaultColorKey);
  RecolourVisible(work.View(Rect{0, 0, 4, -4}), kDefaultColorKey);
  EXPECT_EQ(work.pixels, before);
}

INSTANTIATE_TEST_SUITE_P(Kernels, AlphaOpsTest,
                         ::testing::Values(KernelChoice::ScalarOnly, KernelChoice::Best),
                         [](const auto& info) {
                           return info.param == KernelChoice::ScalarOnly ? "scalar" : "best";
                         });

}  // namespace
}  // namespace kestrimo
