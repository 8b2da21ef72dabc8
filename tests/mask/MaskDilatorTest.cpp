#include "mask/MaskDilator.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "tests/support/KernelTesting.h"

namespace kestrimo {
namespace {

using testing::TestRng;

constexpr std::uint32_t kKeyColour = 0x00FF8000;  // 0x00BBGGRR
const std::uint32_t kKey = PixelFromColour(kKeyColour, 255);
const std::uint32_t kComplement = PixelFromColour(0x00007FFF, 255);
constexpr std::uint32_t kGuard = 0xDEADBEEFu;

// A bottom-up image of allocWidth x allocHeight pixels with guard pixels
// before and after the block.
class TestImage {
 public:
  TestImage(int allocWidth, int allocHeight, std::uint32_t fill)
      : allocWidth_(allocWidth), allocHeight_(allocHeight),
        storage_(static_cast<std::size_t>(allocWidth) * allocHeight + 2 * kGuardCount, kGuard) {
    for (int y = 0; y < allocHeight; ++y)
      for (int x = 0; x < allocWidth; ++x) At(x, y) = fill;
  }
  std::uint32_t* Pixels() { return storage_.data() + kGuardCount; }
  // Index of pixel (x, y) in Storage().
  std::size_t Index(int x, int y) const {
    return kGuardCount + x + static_cast<std::size_t>(allocWidth_) * (allocHeight_ - 1 - y);
  }
  std::uint32_t& At(int x, int y) { return storage_[Index(x, y)]; }
  void Dilate(MaskDilator& dilator, const Rect& rect, int ex, int ey, std::uint32_t colour = kKeyColour) {
    dilator.DilateMask(Pixels(), allocWidth_, allocHeight_, rect, colour, ex, ey);
  }
  bool GuardsIntact() const {
    for (std::size_t i = 0; i < kGuardCount; ++i)
      if (storage_[i] != kGuard || storage_[storage_.size() - 1 - i] != kGuard) return false;
    return true;
  }
  std::set<std::pair<int, int>> KeyPositions() {
    std::set<std::pair<int, int>> keys;
    for (int y = 0; y < allocHeight_; ++y)
      for (int x = 0; x < allocWidth_; ++x)
        if (At(x, y) == kKey) keys.insert({x, y});
    return keys;
  }
  const std::vector<std::uint32_t>& Storage() const { return storage_; }
  int AllocWidth() const { return allocWidth_; }
  int AllocHeight() const { return allocHeight_; }

 private:
  static constexpr std::size_t kGuardCount = 40;
  int allocWidth_;
  int allocHeight_;
  std::vector<std::uint32_t> storage_;
};

// The pixels that a lone key pixel at (px, py) turns key: the centres whose
// element, as the table describes it, holds that pixel. Only those inside
// `clip` are kept.
std::set<std::pair<int, int>> ElementAround(const MaskDilator& dilator, int px, int py,
                                            const Rect& clip) {
  std::set<std::pair<int, int>> cells;
  for (int e = 0; e < dilator.RowCount(); ++e) {
    const EllipseRows& row = dilator.Rows()[e];
    for (int dx = -row.halfWidth; dx <= row.halfWidth; ++dx) {
      const int x = px - dx, y = py - row.dy;
      if (x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom) cells.insert({x, y});
    }
  }
  return cells;
}

void ExpectWellFormedTable(const MaskDilator& dilator) {
  ASSERT_GT(dilator.RowCount(), 0);
  ASSERT_LE(dilator.RowCount(), 2 * dilator.RadiusY() + 1);
  for (int e = 0; e < dilator.RowCount(); ++e) {
    const EllipseRows& row = dilator.Rows()[e];
    EXPECT_EQ(row.beforeLeft, -row.halfWidth - 1);
    EXPECT_EQ(row.dyAgain, row.dy);
    EXPECT_GE(row.halfWidth, 0);
    EXPECT_LE(row.halfWidth, dilator.RadiusX());
    EXPECT_LE(row.dy, dilator.RadiusY());
    EXPECT_GE(row.dy, -dilator.RadiusY());
    if (e > 0) {
      EXPECT_LT(row.dy, dilator.Rows()[e - 1].dy);
    }
    if (row.dy == 0) {
      EXPECT_EQ(row.halfWidth, dilator.RadiusX());  // centre row, full width
    }
  }
}

TEST(MaskDilatorSetup, StartsWithRoomFor256RowsAndNoTable) {
  MaskDilator dilator;
  EXPECT_EQ(dilator.RowsCapacity(), 256);
  ASSERT_NE(dilator.Rows(), nullptr);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(dilator.Rows()) % 16, 0u);
  EXPECT_EQ(dilator.RowCount(), 0);
  EXPECT_EQ(dilator.RadiusX(), 0);
  EXPECT_EQ(dilator.RadiusY(), 0);
}

TEST(MaskDilatorNoOp, ZeroOrNegativeRadiiAndEmptyInputsChangeNothing) {
  MaskDilator dilator;
  TestImage image(20, 16, kComplement);
  image.At(5, 5) = kKey;
  image.At(12, 9) = kKey;
  const std::vector<std::uint32_t> before = image.Storage();
  image.Dilate(dilator, Rect{0, 0, 20, 16}, 0, 0);
  image.Dilate(dilator, Rect{0, 0, 20, 16}, -3, -7);
  image.Dilate(dilator, Rect{0, 0, 20, 16}, -3, 0);
  image.Dilate(dilator, Rect{4, 4, 4, 12}, 3, 3);     // empty rectangle
  image.Dilate(dilator, Rect{30, 20, 40, 30}, 3, 3);  // wholly outside the block
  dilator.DilateMask(nullptr, 20, 16, Rect{0, 0, 20, 16}, kKeyColour, 3, 3);
  dilator.DilateMask(image.Pixels(), -20, 16, Rect{0, 0, 20, 16}, kKeyColour, 3, 3);
  EXPECT_EQ(image.Storage(), before);
  // Zero radii return before any drawing: no canvas, no table.
  EXPECT_EQ(dilator.Canvas().FrameCount(), 0);
  EXPECT_EQ(dilator.RowCount(), 0);
  EXPECT_EQ(dilator.Snapshot().pixels, nullptr);
}

TEST(MaskDilatorGrowth, LonePixelGrowsIntoTheTableEllipse) {
  MaskDilator dilator;
  TestImage image(60, 44, kComplement);
  const Rect rect{7, 5, 57, 41};
  image.At(30, 20) = kKey;
  image.Dilate(dilator, rect, 3, 2);
  ASSERT_NO_FATAL_FAILURE(ExpectWellFormedTable(dilator));
  // The 7 x 5 element: half-widths 1, 3, 3, 3, 1 from dy = 2 down to -2.
  ASSERT_EQ(dilator.RowCount(), 5);
  const int halfWidths[] = {1, 3, 3, 3, 1};
  for (int e = 0; e < 5; ++e) {
    EXPECT_EQ(dilator.Rows()[e].halfWidth, halfWidths[e]);
    EXPECT_EQ(dilator.Rows()[e].dy, 2 - e);
  }
  EXPECT_EQ(image.KeyPositions(), ElementAround(dilator, 30, 20, rect));
  EXPECT_EQ(image.KeyPositions().size(), 3u + 7u + 7u + 7u + 3u);
  EXPECT_TRUE(image.GuardsIntact());
}

TEST(MaskDilatorGrowth, PixelAtTheLeftEdgeGrowsRightOnlyInsideTheRectangle) {
  MaskDilator dilator;
  TestImage image(40, 30, kComplement);
  const Rect rect{6, 4, 30, 22};
  // Key pixels just outside the rectangle must neither grow nor be read.
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x)
      if (x < rect.left || x >= rect.right || y < rect.top || y >= rect.bottom)
        image.At(x, y) = (x + y) % 3 == 0 ? kKey : 0x01020304u * static_cast<std::uint32_t>(x + y);
  image.At(rect.left, 10) = kKey;
  image.At(rect.left + 5, rect.top) = kKey;  // top row, near the corner
  const std::vector<std::uint32_t> before = image.Storage();
  image.Dilate(dilator, rect, 5, 4);
  ASSERT_NO_FATAL_FAILURE(ExpectWellFormedTable(dilator));

  std::set<std::pair<int, int>> want = ElementAround(dilator, rect.left, 10, rect);
  const auto corner = ElementAround(dilator, rect.left + 5, rect.top, rect);
  want.insert(corner.begin(), corner.end());
  for (int y = 0; y < 30; ++y)
    for (int x = 0; x < 40; ++x) {
      const std::size_t i = image.Index(x, y);
      const bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
      if (!inside) {
        ASSERT_EQ(image.Storage()[i], before[i]) << "written outside at " << x << "," << y;
      } else {
        ASSERT_EQ(image.At(x, y) == kKey, want.count({x, y}) == 1) << x << "," << y;
      }
    }
  // The element reaches rx columns to the right on the centre row.
  EXPECT_EQ(image.At(rect.left + 5, 10), kKey);
  EXPECT_NE(image.At(rect.left + 6, 10), kKey);
  EXPECT_TRUE(image.GuardsIntact());
}

TEST(MaskDilatorGrowth, OnlyTheWholeKeyPixelGrows) {
  MaskDilator dilator;
  TestImage image(30, 20, kComplement);
  image.At(8, 10) = (kKey & 0x00FFFFFFu) | 0xFE000000u;  // alpha 254
  image.At(20, 10) = kKey ^ 0x00000100u;                   // green off by one
  const std::vector<std::uint32_t> before = image.Storage();
  image.Dilate(dilator, Rect{0, 0, 30, 20}, 4, 4);
  EXPECT_EQ(image.Storage(), before);
  // The top byte of the key colour value is not part of the key.
  image.At(8, 10) = kKey;
  image.Dilate(dilator, Rect{0, 0, 30, 20}, 4, 4, 0xAB000000u | kKeyColour);
  EXPECT_EQ(image.At(12, 10), kKey);
}

TEST(MaskDilatorGrowth, FullyKeyImageStaysUnchanged) {
  MaskDilator dilator;
  TestImage image(25, 18, kKey);
  const std::vector<std::uint32_t> before = image.Storage();
  image.Dilate(dilator, Rect{2, 1, 23, 17}, 6, 3);
  EXPECT_EQ(image.Storage(), before);
}

TEST(MaskDilatorTable, SameRadiiBuildOnceAndNewRadiiRebuild) {
  MaskDilator dilator;
  TestImage image(30, 20, kComplement);
  image.Dilate(dilator, Rect{0, 0, 30, 20}, 4, 3);
  ASSERT_EQ(dilator.RowCount(), 7);
  EXPECT_EQ(dilator.RowsCapacity(), 7);  // exactly 2 ry + 1 entries
  const EllipseRows first = dilator.Rows()[0];
  dilator.MutableRows()[0].halfWidth = 99;  // marks the table
  image.Dilate(dilator, Rect{0, 0, 30, 20}, 4, 3);
  EXPECT_EQ(dilator.Rows()[0].halfWidth, 99);
  dilator.BuildEllipseRows(4, 3);
  EXPECT_EQ(dilator.Rows()[0].halfWidth, 99);

  image.Dilate(dilator, Rect{0, 0, 30, 20}, 4, 5);
  EXPECT_EQ(dilator.RowCount(), 11);
  image.Dilate(dilator, Rect{0, 0, 30, 20}, 4, 3);
  EXPECT_EQ(dilator.Rows()[0].halfWidth, first.halfWidth);
}

TEST(MaskDilatorRobustness, AbsurdRadiiAreLimited) {
  MaskDilator dilator;
  TestImage image(30, 12, kComplement);
  image.At(3, 6) = kKey;
  image.Dilate(dilator, Rect{0, 0, 30, 12}, 0x7FFFFFFF, 1);
  EXPECT_EQ(dilator.RadiusX(), kMaxDilationRadius);
  ASSERT_NO_FATAL_FAILURE(ExpectWellFormedTable(dilator));
  for (int x = 0; x < 30; ++x) EXPECT_EQ(image.At(x, 6), kKey) << x;  // whole centre row
  EXPECT_TRUE(image.GuardsIntact());

  image.Dilate(dilator, Rect{0, 0, 30, 12}, 2, 1 << 30);
  EXPECT_EQ(dilator.RadiusY(), kMaxDilationRadius);
  ASSERT_NO_FATAL_FAILURE(ExpectWellFormedTable(dilator));
  for (int y = 0; y < 12; ++y) EXPECT_EQ(image.At(3, y), kKey) << y;  // whole column
  EXPECT_TRUE(image.GuardsIntact());
}

TEST(MaskDilatorRobustness, RectangleBeyondTheBlockIsCutToIt) {
  MaskDilator dilator;
  TestImage image(20, 10, kComplement);
  image.At(19, 9) = kKey;
  image.At(0, 0) = kKey;
  image.Dilate(dilator, Rect{-5, -5, 100, 100}, 3, 3);
  EXPECT_TRUE(image.GuardsIntact());
  EXPECT_EQ(image.At(16, 9), kKey);
  EXPECT_EQ(image.At(0, 3), kKey);
  EXPECT_EQ(image.At(10, 5), kComplement);
}

// The brute-force dilation: a pixel becomes key when any span of the table,
// placed around it, holds a key pixel of the original rectangle.
std::vector<std::uint32_t> ReferenceDilation(TestImage& image, const Rect& rect,
                                             const MaskDilator& dilator) {
  std::vector<std::uint32_t> result;
  for (int y = rect.top; y < rect.bottom; ++y)
    for (int x = rect.left; x < rect.right; ++x) {
      bool hit = false;
      for (int e = 0; e < dilator.RowCount() && !hit; ++e) {
        const EllipseRows& row = dilator.Rows()[e];
        const int sy = y + row.dy;
        if (sy < rect.top || sy >= rect.bottom) continue;
        for (int sx = x - row.halfWidth; sx <= x + row.halfWidth && !hit; ++sx)
          hit = sx >= rect.left && sx < rect.right && image.At(sx, sy) == kKey;
      }
      result.push_back(hit ? kKey : image.At(x, y));
    }
  return result;
}

std::uint32_t RandomPixel(TestRng& rng) {
  const int roll = rng.Range(0, 99);
  if (roll < 4) return kKey;
  if (roll < 7) return (kKey & 0x00FFFFFFu) | (std::uint32_t{rng.Byte()} << 24);
  if (roll < 9) return kKey ^ (1u << rng.Range(0, 23));
  if (roll < 60) return kComplement;
  return rng.Next();
}

TEST(MaskDilatorReference, RunningCountEqualsBruteForceOnRandomMasks) {
  TestRng rng(0xD11A7E);
  MaskDilator dilator;
  for (int round = 0; round < 160; ++round) {
    const int allocWidth = rng.Range(2, 44), allocHeight = rng.Range(2, 34);
    Rect rect;
    rect.left = rng.Range(0, allocWidth - 1);
    rect.top = rng.Range(0, allocHeight - 1);
    if (rect.left == 0 && rect.top == 0) rect.top = allocHeight - 1;  // never at the origin
    rect.right = rng.Range(rect.left + 1, allocWidth);
    rect.bottom = rng.Range(rect.top + 1, allocHeight);
    const int ex = rng.Range(0, 12), ey = rng.Range(0, 12);
    SCOPED_TRACE("round " + std::to_string(round) + " rect " + std::to_string(rect.left) + "," +
                 std::to_string(rect.top) + "," + std::to_string(rect.right) + "," +
                 std::to_string(rect.bottom) + " radii " + std::to_string(ex) + "," +
                 std::to_string(ey));
    TestImage image(allocWidth, allocHeight, 0);
    for (int y = 0; y < allocHeight; ++y)
      for (int x = 0; x < allocWidth; ++x) image.At(x, y) = RandomPixel(rng);
    const std::vector<std::uint32_t> before = image.Storage();
    if (ex == 0 && ey == 0) {
      image.Dilate(dilator, rect, ex, ey);
      ASSERT_EQ(image.Storage(), before);
      continue;
    }
    dilator.BuildEllipseRows(ex, ey);
    ASSERT_NO_FATAL_FAILURE(ExpectWellFormedTable(dilator));
    const std::vector<std::uint32_t> want = ReferenceDilation(image, rect, dilator);
    image.Dilate(dilator, rect, ex, ey);
    std::size_t k = 0;
    for (int y = 0; y < allocHeight; ++y)
      for (int x = 0; x < allocWidth; ++x) {
        const bool inside = x >= rect.left && x < rect.right && y >= rect.top && y < rect.bottom;
        const std::size_t i = image.Index(x, y);
        if (inside) {
          ASSERT_EQ(image.At(x, y), want[k++]) << "at " << x << "," << y;
        } else {
          ASSERT_EQ(image.Storage()[i], before[i]) << "written outside at " << x << "," << y;
        }
      }
    ASSERT_TRUE(image.GuardsIntact());
  }
}

}  // namespace
}  // namespace kestrimo
