// The fill's worked values, run through both kernel choices: a fault in the
// formula that both paths share shows here.
#include "imaging/LogoFill.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "imaging/CpuFeatures.h"
#include "base/FrameGeometry.h"

namespace kestrimo {
namespace {

using Bytes = std::array<std::uint8_t, 4>;

std::uint32_t Pixel(Bytes b) {
  return std::uint32_t{b[0]} | std::uint32_t{b[1]} << 8 | std::uint32_t{b[2]} << 16 |
         std::uint32_t{b[3]} << 24;
}
std::uint32_t Grey(std::uint8_t v) { return Pixel({v, v, v, v}); }
Bytes BytesOf(std::uint32_t p) {
  return {static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 8),
          static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 24)};
}

// A work buffer in either row order, addressed by visual row, with one spare
// column and row in the allocation that must never change.
class Work {
 public:
  Work(int width, int height, std::int32_t frameMode)
      : size{width + 1, height + 1}, rect{0, 0, width, height}, mode(frameMode),
        pixels(static_cast<std::size_t>(size.width) * size.height, 0xDEADBEEF) {}
  std::uint32_t& At(int x, int y) {
    const int row = mode == kFrameModeBgr ? size.height - 1 - y : y;
    return pixels[static_cast<std::size_t>(row) * size.width + x];
  }
  bool SpareUntouched() {
    for (int y = 0; y < size.height; ++y)
      for (int x = 0; x < size.width; ++x)
        if ((x == rect.right || y == rect.bottom) && At(x, y) != 0xDEADBEEF) return false;
    return true;
  }
  ImageView View() { return View(rect); }
  ImageView View(const Rect& area) { return {pixels.data(), size, area}; }
  Size size;
  Rect rect;
  std::int32_t mode;
  std::vector<std::uint32_t> pixels;
};

// A bottom-up span list of the area's size, all lines bare -1.
class Spans {
 public:
  Spans(int width, int height)
      : size{width, height}, cells(static_cast<std::size_t>(width) * height, -1) {}
  std::int32_t& At(int x, int y) {
    return cells[static_cast<std::size_t>(size.height - 1 - y) * size.width + x];
  }
  void SetRow(int y, std::initializer_list<std::int32_t> values) {
    int x = 0;
    for (std::int32_t v : values) At(x++, y) = v;
  }
  void SetColumn(int x, std::initializer_list<std::int32_t> values) {
    int y = 0;
    for (std::int32_t v : values) At(x, y++) = v;
  }
  // The cells as the fill passes take them: a view of 32-bit cells.
  ConstImageView View() const { return View(size); }
  ConstImageView View(Size alloc) const {
    return {reinterpret_cast<const std::uint32_t*>(cells.data()), alloc,
            {0, 0, size.width, size.height}};
  }
  Size size;
  std::vector<std::int32_t> cells;
};

void Rows(Work& work, const Spans& spans) {
  FillRows(work.View(), spans.View(), work.mode);
}
void Columns(Work& work, const Spans& spans) {
  FillColumns(work.View(), spans.View(), work.mode);
}

class LogoFillTest : public ::testing::TestWithParam<KernelChoice> {
 protected:
  void SetUp() override { SetKernelChoice(GetParam()); }
  void TearDown() override { SetKernelChoice(KernelChoice::Best); }
};

TEST_P(LogoFillTest, SinglePixelRunsDropTheFraction) {
  Work work(5, 3, kFrameModeYuy2);
  work.At(1, 1) = Pixel({10, 10, 0, 255});
  work.At(3, 1) = Pixel({20, 11, 255, 0});
  Spans spans(5, 3);
  spans.SetRow(1, {1, 2, -1});
  Rows(work, spans);
  EXPECT_EQ(BytesOf(work.At(2, 1)), (Bytes{15, 10, 127, 127}));
  EXPECT_EQ(work.At(1, 1), Pixel({10, 10, 0, 255}));
  EXPECT_EQ(work.At(3, 1), Pixel({20, 11, 255, 0}));
  EXPECT_EQ(work.At(0, 1), 0xDEADBEEF);
  EXPECT_EQ(work.At(4, 1), 0xDEADBEEF);
  EXPECT_TRUE(work.SpareUntouched());
}

TEST_P(LogoFillTest, ColumnPassKeepsTheRoundedUpMean) {
  Work work(3, 3, kFrameModeYuy2);
  work.At(0, 1) = work.At(2, 1) = Grey(100);
  work.At(1, 0) = work.At(1, 2) = Grey(151);
  Spans rows(3, 3), columns(3, 3);
  rows.SetRow(1, {0, 2, -1});
  columns.SetColumn(1, {0, 2, -1});
  Rows(work, rows);
  EXPECT_EQ(work.At(1, 1), Grey(100));
  Columns(work, columns);
  EXPECT_EQ(work.At(1, 1), Grey(126));
  EXPECT_EQ(work.At(1, 0), Grey(151));
  EXPECT_EQ(work.At(1, 2), Grey(151));
  EXPECT_TRUE(work.SpareUntouched());
}

TEST_P(LogoFillTest, BareTerminatorLeavesTheLineAlone) {
  Work work(6, 4, kFrameModeBgr);
  for (std::size_t i = 0; i < work.pixels.size(); ++i) work.pixels[i] = 0x01020304u * (i + 1);
  const auto before = work.pixels;
  Spans spans(6, 4);
  Rows(work, spans);
  Columns(work, spans);
  EXPECT_EQ(work.pixels, before);
}

TEST_P(LogoFillTest, SkipZeroSharesTheAnchor) {
  Work work(8, 1, kFrameModeYuy2);
  work.At(0, 0) = Grey(0);
  work.At(2, 0) = Grey(100);
  work.At(4, 0) = Grey(200);
  work.At(5, 0) = Grey(7);
  work.At(7, 0) = Grey(9);
  Spans spans(8, 1);
  // Runs 0..2 and 2..4 share pixel 2; then a skip of 1 leads from 4 to 5.
  spans.SetRow(0, {0, 2, 0, 2, 1, 2, -1});
  Rows(work, spans);
  EXPECT_EQ(work.At(1, 0), Grey(50));
  EXPECT_EQ(work.At(3, 0), Grey(150));
  EXPECT_EQ(work.At(6, 0), Grey(8));
  EXPECT_EQ(work.At(2, 0), Grey(100));
  EXPECT_EQ(work.At(5, 0), Grey(7));
}

// The slope's quotient lands on .5 exactly (distance 256): ties go to even.
TEST_P(LogoFillTest, SlopeTiesRoundToEven) {
  Work work(257, 1, kFrameModeYuy2);
  work.At(0, 0) = Pixel({10, 10, 10, 10});
  work.At(256, 0) = Pixel({11, 13, 9, 7});  // quotients 0.5, 1.5, -0.5, -1.5
  Spans spans(257, 1);
  spans.SetRow(0, {0, 256, -1});
  Rows(work, spans);
  // Slopes 0, 2, 0, -2: pixel 255 has acc 1280 + 255 * slope.
  EXPECT_EQ(BytesOf(work.At(255, 0)), (Bytes{10, 13, 10, 6}));
  EXPECT_EQ(BytesOf(work.At(128, 0)), (Bytes{10, 12, 10, 8}));
}

// Slope 47 (255 / 700 * 128 = 46.6) overshoots: from pixel 698 on the 16-bit
// accumulator saturates at 32767 instead of wrapping, and gives 255; going
// down, the accumulator turns negative and clamps to 0.
TEST_P(LogoFillTest, LongRunsSaturateTheAccumulator) {
  Work work(701, 1, kFrameModeYuy2);
  work.At(0, 0) = Pixel({0, 255, 0, 255});
  work.At(700, 0) = Pixel({255, 0, 255, 0});
  Spans spans(701, 1);
  spans.SetRow(0, {0, 700, -1});
  Rows(work, spans);
  for (int k = 1; k < 700; ++k) {
    const int up = std::min(47 * k, 32767) >> 7;
    const int down = std::max(32640 - 47 * k, 0) >> 7;
    const auto u = static_cast<std::uint8_t>(up), d = static_cast<std::uint8_t>(down);
    ASSERT_EQ(BytesOf(work.At(k, 0)), (Bytes{u, d, u, d})) << "pixel " << k;
  }
  EXPECT_EQ(BytesOf(work.At(699, 0)), (Bytes{255, 0, 255, 0}));
}

// The same visual picture and lists give the same visual result whether the
// work buffer is stored top-down (YUY2 frames) or bottom-up (BGR frames).
TEST_P(LogoFillTest, ListRowsPairWithVisualRowsInBothOrders) {
  std::vector<std::uint32_t> results[2];
  for (std::int32_t mode : {kFrameModeYuy2, kFrameModeBgr}) {
    Work work(6, 5, mode);
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) work.At(x, y) = Grey(static_cast<std::uint8_t>(40 * y + 10 * x));
    work.At(2, 4) = Grey(240);
    Spans rows(6, 5), columns(6, 5);
    rows.SetRow(1, {0, 3, -1});
    rows.SetRow(3, {2, 3, -1});
    columns.SetColumn(2, {1, 3, -1});
    Rows(work, rows);
    Columns(work, columns);
    // Row 1: 40 .. 70 over 3 pixels; row 3: 140 .. 170.
    EXPECT_EQ(work.At(1, 1), Grey(50));
    EXPECT_EQ(work.At(4, 3), Grey(160));
    // Column 2 from row 1 (60) to row 4 (240) gives 120 and 180, averaged
    // with the 100 and 140 already there.
    EXPECT_EQ(work.At(2, 2), Grey(110));
    EXPECT_EQ(work.At(2, 3), Grey(160));
    EXPECT_TRUE(work.SpareUntouched());
    for (int y = 0; y < 5; ++y)
      for (int x = 0; x < 6; ++x) results[mode].push_back(work.At(x, y));
  }
  EXPECT_EQ(results[0], results[1]);
}

INSTANTIATE_TEST_SUITE_P(Kernels, LogoFillTest,
                         ::testing::Values(KernelChoice::ScalarOnly, KernelChoice::Best),
                         [](const auto& info) {
                           return info.param == KernelChoice::ScalarOnly ? "scalar" : "best";
                         });

// Lists that break their rules are walked only up to the fault.
class LogoFillBrokenListTest : public ::testing::Test {
 protected:
  LogoFillBrokenListTest() : work(6, 3, kFrameModeYuy2), spans(6, 3) {
    for (int x = 0; x < 6; ++x) work.At(x, 1) = Grey(static_cast<std::uint8_t>(20 * x));
  }
  void ExpectRowAfterFirstRunUnchanged() {
    EXPECT_EQ(work.At(1, 1), Grey(20));  // the valid first run 0..2
    for (int x = 3; x < 6; ++x) EXPECT_EQ(work.At(x, 1), Grey(static_cast<std::uint8_t>(20 * x)));
    EXPECT_TRUE(work.SpareUntouched());
  }
  Work work;
  Spans spans;
};

TEST_F(LogoFillBrokenListTest, RunPastTheRowEndStops) {
  work.At(1, 1) = Grey(99);
  spans.SetRow(1, {0, 2, 1, 3, -1});  // second P1 = 6, outside
  Rows(work, spans);
  ExpectRowAfterFirstRunUnchanged();
}

TEST_F(LogoFillBrokenListTest, MissingTerminatorStopsAtTheRowEnd) {
  work.At(1, 1) = work.At(3, 1) = Grey(99);
  spans.SetRow(1, {0, 2, 0, 2, 0, 2});  // third P1 = 6
  Rows(work, spans);
  EXPECT_EQ(work.At(1, 1), Grey(20));
  EXPECT_EQ(work.At(3, 1), Grey(60));  // 2..4 is valid
  EXPECT_EQ(work.At(5, 1), Grey(100));
  EXPECT_TRUE(work.SpareUntouched());
}

TEST_F(LogoFillBrokenListTest, BadSkipOrDistanceStops) {
  for (auto bad : {std::array<std::int32_t, 2>{-2, 2}, {0, 1}, {0, 0}, {0, -7},
                   {INT32_MAX, 2}, {0, INT32_MAX}}) {
    work.At(1, 1) = Grey(99);
    spans.SetRow(1, {0, 2, bad[0], bad[1], -1});
    Rows(work, spans);
    ExpectRowAfterFirstRunUnchanged();
  }
}

TEST_F(LogoFillBrokenListTest, ColumnRunPastTheBottomStops) {
  const auto before = work.pixels;
  spans.SetColumn(2, {1, 2, -1});  // P1 = row 3 of 3
  Columns(work, spans);
  EXPECT_EQ(work.pixels, before);
}

TEST(LogoFillGuards, MissingBuffersEmptyAreasAndOtherModesDoNothing) {
  Work work(4, 3, kFrameModeYuy2);
  Spans spans(4, 3);
  spans.SetRow(1, {0, 3, -1});
  spans.SetColumn(1, {0, 2, -1});
  const auto before = work.pixels;
  FillRows(ImageView{nullptr, work.size, work.rect}, spans.View(), 0);
  FillRows(work.View(), ConstImageView{nullptr, spans.size, {}}, 0);
  FillRows(work.View(Rect{0, 0, 0, 3}), spans.View(), 0);
  FillRows(work.View(), spans.View(), 2);
  FillColumns(work.View(Rect{0, 0, 4, -1}), spans.View(), 1);
  FillColumns(work.View(), spans.View(), -1);
  FillColumns(ImageView{work.pixels.data(), Size{-4, 3}, work.rect}, spans.View(), 0);
  FillRows(work.View(), spans.View(Size{0, 0}), 0);
  EXPECT_EQ(work.pixels, before);
}

// A rectangle larger than the buffers is cut to what both hold.
TEST(LogoFillGuards, AreaIsCutToTheAllocations) {
  Work work(4, 3, kFrameModeBgr);
  Spans spans(4, 3);
  spans.SetRow(1, {0, 3, -1});
  work.At(0, 1) = Grey(0);
  work.At(3, 1) = Grey(30);
  FillRows(work.View(Rect{INT32_MIN, 0, INT32_MAX, 1000}), spans.View(), kFrameModeBgr);
  EXPECT_EQ(work.At(1, 1), Grey(10));
  EXPECT_EQ(work.At(2, 1), Grey(20));
  EXPECT_TRUE(work.SpareUntouched());
}

}  // namespace
}  // namespace kestrimo
