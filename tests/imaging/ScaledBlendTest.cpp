#include "imaging/ScaledBlend.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <utility>
#include <vector>

#include "imaging/CpuFeatures.h"
#include "imaging/Kernels.h"
#include "imaging/ScalingKernels.h"
#include "tests/support/KernelTesting.h"

namespace kestrimo {
namespace {

using testing::TestRng;

constexpr std::int32_t kFormat = kScaleFormatBgraBottomUp;
constexpr std::uint32_t kKeyColour = 0x00FF8000;  // red 0, green 128, blue 255
constexpr std::uint32_t kKeyPixel = 0xFF0080FF;   // bytes FF 80 00 FF (B, G, R, A)
constexpr std::uint32_t kClear = 0x00000000;      // transparent black

// A bottom-up 32-bit picture: picture row 0 is the last row in memory.
struct Picture {
  Picture(std::int32_t w, std::int32_t h, std::uint32_t fill = 0)
      : size{w, h}, pixels(static_cast<std::size_t>(w) * h, fill) {}
  std::uint32_t& At(std::int32_t x, std::int32_t y) {
    return pixels[x + static_cast<std::size_t>(size.width) * (size.height - 1 - y)];
  }
  void Randomise(TestRng& rng) {
    for (std::uint32_t& p : pixels) p = rng.Next();
  }
  Rect Whole() const { return {0, 0, size.width, size.height}; }
  Size size;
  std::vector<std::uint32_t> pixels;
};

void ScaleCopy(ScaledBlend& blend, Picture& src, const Rect& srcRect, Picture& dst,
               const Rect& dstRect, bool protect = false, std::uint32_t key = kKeyColour) {
  blend.Scale(ConstImageView{src.pixels.data(), src.size, srcRect}, kFormat,
              ImageView{dst.pixels.data(), dst.size, dstRect}, kFormat, kScaleOpacityCopy, key,
              protect);
}

// Absolute sample positions read by a table: (first sample, second sample, weight).
struct Read {
  std::int64_t first;
  std::int64_t second;
  std::uint16_t weight;
  friend bool operator==(const Read&, const Read&) = default;
};

std::vector<Read> Walk(const std::vector<ScaleTableEntry>& table, std::int32_t unit) {
  std::vector<Read> reads;
  std::int64_t at = 0;
  for (const ScaleTableEntry& e : table) {
    at += e.step;
    const std::int64_t first = at;
    at += e.next;
    reads.push_back({first / unit, at / unit, e.weight[0]});
  }
  return reads;
}

std::vector<ScaleTableEntry> Table(std::int32_t a, std::int32_t b, std::int32_t c,
                                   std::int32_t n, std::int32_t d = 4) {
  std::vector<ScaleTableEntry> table(static_cast<std::size_t>(n));
  EXPECT_TRUE(BuildScaleTable(table.data(), {a, b, c, n, d})) << a << "->" << b;
  return table;
}

// ---- The table -----------------------------------------------------------

TEST(ScaleTable, EqualSizesStepOneSampleWithWeightZero) {
  const auto table = Table(5, 5, 0, 5);
  for (std::size_t k = 0; k < table.size(); ++k) {
    EXPECT_EQ(table[k].step, k == 0 ? 0 : 4) << k;
    EXPECT_EQ(table[k].next, 0) << k;
    EXPECT_EQ(table[k].weight[0], 0) << k;
  }
}

TEST(ScaleTable, HalvingReadsEveryPairAtHalfWeight) {
  const auto table = Table(8, 4, 0, 4);
  for (std::size_t k = 0; k < table.size(); ++k) {
    EXPECT_EQ(table[k].step, k == 0 ? 0 : 4) << k;
    EXPECT_EQ(table[k].next, 4) << k;
    for (std::uint16_t w : table[k].weight) EXPECT_EQ(w, 2048) << k;
  }
  EXPECT_EQ(Walk(table, 4), (std::vector<Read>{{0, 1, 2048}, {2, 3, 2048}, {4, 5, 2048},
                                               {6, 7, 2048}}));
}

TEST(ScaleTable, DoublingTwoToFourMeetsTheEndsAndStepsBack) {
  const auto table = Table(2, 4, 0, 4);
  const std::int32_t steps[] = {0, 0, -4, 0};
  const std::int32_t nexts[] = {0, 4, 4, 0};
  const std::uint16_t weights[] = {0, 1365, 2730, 0};
  for (int k = 0; k < 4; ++k) {
    EXPECT_EQ(table[k].step, steps[k]) << k;
    EXPECT_EQ(table[k].next, nexts[k]) << k;
    EXPECT_EQ(table[k].weight[0], weights[k]) << k;
  }
}

TEST(ScaleTable, ReductionCentresTheSamples) {
  // Output k reads source position (k + 0.5) * 3 / 2 - 0.5: 0.25 and 1.75.
  EXPECT_EQ(Walk(Table(3, 2, 0, 2), 4), (std::vector<Read>{{0, 1, 1024}, {1, 2, 3072}}));
}

TEST(ScaleTable, SingleSampleExtents) {
  EXPECT_EQ(Walk(Table(1, 5, 0, 5), 4), std::vector<Read>(5, Read{0, 0, 0}));
  EXPECT_EQ(Walk(Table(5, 1, 0, 1), 4), (std::vector<Read>{{2, 2, 0}}));  // the centre
  EXPECT_EQ(Walk(Table(2, 1, 0, 1), 4), (std::vector<Read>{{0, 1, 2048}}));
}

TEST(ScaleTable, StepUnitScalesStepsAndNextIncludingNegativeRowDistances) {
  const auto reads = Walk(Table(8, 4, 0, 4, -4000), -4000);
  EXPECT_EQ(reads, Walk(Table(8, 4, 0, 4), 4));
}

TEST(ScaleTable, AnOffsetTableReadsWhatTheWholeTableReadsThere) {
  const std::pair<int, int> sizes[] = {{13, 20}, {20, 13}, {7, 7}, {3, 50}, {99, 4}};
  for (const auto& [a, b] : sizes) {
    const auto whole = Walk(Table(a, b, 0, b), 4);
    for (int c = 0; c < b; ++c) {
      const auto part = Walk(Table(a, b, c, b - c), 4);
      for (int k = 0; k < b - c; ++k) ASSERT_EQ(part[k], whole[c + k]) << a << "->" << b;
    }
  }
}

TEST(ScaleTable, ReadsStayInsideTheSource) {
  std::vector<std::pair<int, int>> sizes;
  for (int a = 1; a <= 40; ++a)
    for (int b = 1; b <= 40; ++b) sizes.emplace_back(a, b);
  const std::pair<int, int> large[] = {{65535, 1},    {65535, 65534}, {65534, 65535},
                                       {1, 65535},    {1000, 7},      {7, 1000},
                                       {65535, 3},    {2, 40000},     {1023, 1024}};
  sizes.insert(sizes.end(), std::begin(large), std::end(large));
  for (const auto& [a, b] : sizes) {
    for (const Read& r : Walk(Table(a, b, 0, b), 4)) {
      ASSERT_GE(r.first, 0) << a << "->" << b;
      ASSERT_LE(r.second, a - 1) << a << "->" << b;
      ASSERT_TRUE(r.weight == 0 ? r.second == r.first : r.second == r.first + 1);
      ASSERT_LT(r.weight, 4096);
    }
  }
}

TEST(ScaleTable, RefusesKeysOutsideItsRange) {
  ScaleTableEntry entry{};
  ScaleTableEntry* table = &entry;
  EXPECT_FALSE(BuildScaleTable(table, {0, 1, 0, 1, 4}));
  EXPECT_FALSE(BuildScaleTable(table, {kMaxScaleSourceExtent + 1, 1, 0, 1, 4}));
  EXPECT_FALSE(BuildScaleTable(table, {1, 0, 0, 0, 4}));
  EXPECT_FALSE(BuildScaleTable(table, {1, 1, -1, 1, 4}));
  EXPECT_FALSE(BuildScaleTable(table, {4, 2, 1, 2, 4}));  // c + n beyond b
  EXPECT_FALSE(BuildScaleTable(table, {4, 2, 0, 1, INT32_MIN}));
  EXPECT_FALSE(BuildScaleTable(nullptr, {4, 2, 0, 1, 4}));
}

// ---- The scratch arrays --------------------------------------------------

TEST(ScaleScratch, WithoutSlackFollowsEveryCountChangeExactly) {
  ScaleScratch scratch;
  using O = ScaleScratch::Outcome;
  EXPECT_EQ(scratch.Reserve(10, 16, 0, 0), O::Replaced);
  EXPECT_EQ(scratch.capacity(), 10);
  EXPECT_EQ(scratch.allocated(), 10);
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(scratch.data()) % 16, 0u);
  EXPECT_EQ(scratch.Reserve(10, 16, 0, 0), O::Kept);
  EXPECT_EQ(scratch.Reserve(11, 16, 0, 0), O::Replaced);
  EXPECT_EQ(scratch.allocated(), 11);
  EXPECT_EQ(scratch.Reserve(9, 16, 0, 0), O::Replaced);
  EXPECT_EQ(scratch.allocated(), 9);
}

TEST(ScaleScratch, SlackKeepsTheArrayWithinTheRange) {
  ScaleScratch scratch;
  using O = ScaleScratch::Outcome;
  EXPECT_EQ(scratch.Reserve(100, 4, 25, 25), O::Replaced);
  EXPECT_EQ(scratch.allocated(), 125);
  EXPECT_EQ(scratch.Reserve(125, 4, 25, 25), O::Kept);
  EXPECT_EQ(scratch.Reserve(75, 4, 25, 25), O::Kept);
  EXPECT_EQ(scratch.capacity(), 100);
  EXPECT_EQ(scratch.Reserve(126, 4, 25, 25), O::Replaced);
  EXPECT_EQ(scratch.capacity(), 126);
  EXPECT_EQ(scratch.allocated(), 158);  // 157.5 rounded up
  EXPECT_EQ(scratch.Reserve(95, 4, 25, 25), O::Kept);
  EXPECT_EQ(scratch.Reserve(94, 4, 25, 25), O::Replaced);  // below 94.5 rounded
  EXPECT_EQ(scratch.capacity(), 94);
}

TEST(ScaleScratch, NeverHoldsFewerElementsThanReserved) {
  ScaleScratch scratch;
  ASSERT_EQ(scratch.Reserve(100, 4, 0, 0), ScaleScratch::Outcome::Replaced);
  // A growth raised afterwards widens the accepted range past the allocation.
  EXPECT_EQ(scratch.Reserve(120, 4, 25, 0), ScaleScratch::Outcome::Replaced);
  EXPECT_GE(scratch.allocated(), 120);
  // A negative growth is taken as none.
  EXPECT_NE(scratch.Reserve(200, 4, -50, 0), ScaleScratch::Outcome::Failed);
  EXPECT_GE(scratch.allocated(), 200);
}

TEST(ScaleScratch, RefusesEmptyAndAbsurdCounts) {
  ScaleScratch scratch;
  EXPECT_EQ(scratch.Reserve(0, 4, 0, 0), ScaleScratch::Outcome::Failed);
  EXPECT_EQ(scratch.Reserve(-5, 4, 0, 0), ScaleScratch::Outcome::Failed);
  EXPECT_EQ(scratch.Reserve(INT32_MAX, 16, 0, 0), ScaleScratch::Outcome::Failed);
  EXPECT_EQ(scratch.data(), nullptr);
  EXPECT_EQ(scratch.allocated(), 0);
}

// ---- Scaling, under both kernel choices ------------------------------------

class ScaledBlendTest : public ::testing::TestWithParam<KernelChoice> {
 protected:
  void SetUp() override { SetKernelChoice(GetParam()); }
  void TearDown() override { SetKernelChoice(KernelChoice::Best); }
  ScaledBlend blend;
  TestRng rng;
};

INSTANTIATE_TEST_SUITE_P(Kernels, ScaledBlendTest,
                         ::testing::Values(KernelChoice::ScalarOnly, KernelChoice::Best),
                         [](const auto& info) {
                           return info.param == KernelChoice::ScalarOnly ? "scalar" : "best";
                         });

TEST_P(ScaledBlendTest, EqualSizesCopyExactlyAndTouchNothingElse) {
  Picture src(7, 5);
  src.Randomise(rng);
  Picture dst(10, 9, 0x12345678);
  ScaleCopy(blend, src, src.Whole(), dst, {2, 3, 9, 8});
  for (int y = 0; y < 9; ++y)
    for (int x = 0; x < 10; ++x) {
      const bool inside = x >= 2 && x < 9 && y >= 3 && y < 8;
      ASSERT_EQ(dst.At(x, y), inside ? src.At(x - 2, y - 3) : 0x12345678u) << x << "," << y;
    }
}

TEST_P(ScaledBlendTest, HalvingGivesTheMeanOfEachPairRoundedDown) {
  Picture row(4, 1);
  row.At(0, 0) = 0x00FF0A01;  // bytes 01 0A FF 00
  row.At(1, 0) = 0xFF000B02;  // bytes 02 0B 00 FF
  row.At(2, 0) = 0x80808080;
  row.At(3, 0) = 0x80808080;
  Picture out(2, 1);
  ScaleCopy(blend, row, row.Whole(), out, out.Whole());
  EXPECT_EQ(out.At(0, 0), 0x7F7F0A01u);
  EXPECT_EQ(out.At(1, 0), 0x80808080u);

  Picture column(1, 4);
  column.At(0, 0) = 0x00000003;
  column.At(0, 1) = 0x00000000;
  column.At(0, 2) = 0x000000FF;
  column.At(0, 3) = 0x000000FE;
  Picture half(1, 2);
  ScaleCopy(blend, column, column.Whole(), half, half.Whole());
  EXPECT_EQ(half.At(0, 0), 0x00000001u);
  EXPECT_EQ(half.At(0, 1), 0x000000FEu);
}

TEST_P(ScaledBlendTest, DoublingInterpolatesAtThirdsRoundingDown) {
  Picture src(2, 1);
  src.At(0, 0) = 0xFF00FF00;  // B 0, G 255, R 0, A 255
  src.At(1, 0) = 0x00FF00FF;
  Picture dst(4, 1);
  ScaleCopy(blend, src, src.Whole(), dst, dst.Whole());
  // 255 * 1365 / 4096 = 84.98 and 255 * 2730 / 4096 = 169.96; falling values
  // round down too: 255 - 84.98 gives 170.
  EXPECT_EQ(dst.At(0, 0), 0xFF00FF00u);
  EXPECT_EQ(dst.At(1, 0), 0xAA54AA54u);
  EXPECT_EQ(dst.At(2, 0), 0x55A955A9u);
  EXPECT_EQ(dst.At(3, 0), 0x00FF00FFu);
}

TEST_P(ScaledBlendTest, SinglePixelExtents) {
  Picture one(1, 1, 0x11223344);
  Picture wide(5, 3);
  ScaleCopy(blend, one, one.Whole(), wide, wide.Whole());
  EXPECT_EQ(wide.pixels, std::vector<std::uint32_t>(15, 0x11223344));

  Picture row(5, 1);
  row.Randomise(rng);
  Picture dot(1, 1);
  ScaleCopy(blend, row, row.Whole(), dot, dot.Whole());
  EXPECT_EQ(dot.At(0, 0), row.At(2, 0));
}

TEST_P(ScaledBlendTest, BottomUpRowsKeepThePictureUpright) {
  // Memory rows of a 1 x 4 source, first to last: picture rows 3, 2, 1, 0.
  Picture src(1, 4);
  src.pixels = {0x00000040, 0x00000030, 0x00000020, 0x00000010};
  Picture dst(1, 2);
  ScaleCopy(blend, src, src.Whole(), dst, dst.Whole());
  // Picture row 0 (the last memory row) is the mean of picture rows 0 and 1.
  EXPECT_EQ(dst.pixels[1], 0x00000018u);
  EXPECT_EQ(dst.pixels[0], 0x00000038u);

  Picture tall(1, 3);
  ScaleCopy(blend, src, {0, 0, 1, 3}, tall, tall.Whole());  // picture rows 0..2
  EXPECT_EQ(tall.pixels, (std::vector<std::uint32_t>{0x30, 0x20, 0x10}));
}

TEST_P(ScaledBlendTest, PartlyOutsideDestinationWritesOnlyTheVisibleSamePixels) {
  Picture src(13, 9);
  src.Randomise(rng);
  Picture whole(20, 15);
  ScaleCopy(blend, src, src.Whole(), whole, whole.Whole());
  const Rect placements[] = {{-5, -3, 15, 12}, {3, 4, 23, 19}, {-7, 2, 13, 17}};
  for (const Rect& placed : placements) {
    Picture dst(12, 10, 0xDEADBEEF);
    ScaledBlend fresh;
    ScaleCopy(fresh, src, src.Whole(), dst, placed);
    for (int y = 0; y < 10; ++y)
      for (int x = 0; x < 12; ++x) {
        const int wx = x - placed.left;
        const int wy = y - placed.top;
        const bool visible = wx >= 0 && wx < 20 && wy >= 0 && wy < 15;
        ASSERT_EQ(dst.At(x, y), visible ? whole.At(wx, wy) : 0xDEADBEEFu)
            << placed.left << "," << placed.top << " at " << x << "," << y;
      }
  }
}

TEST_P(ScaledBlendTest, SourceIsClippedToItsAllocation) {
  Picture src(13, 9);
  src.Randomise(rng);
  Picture expected(17, 6);
  Picture clipped(17, 6);
  ScaleCopy(blend, src, src.Whole(), expected, expected.Whole());
  ScaleCopy(blend, src, {-4, -2, 20, 30}, clipped, clipped.Whole());
  EXPECT_EQ(clipped.pixels, expected.pixels);
}

TEST_P(ScaledBlendTest, PixelsAroundTheSourceRectangleTakeNoPart) {
  Picture src(30, 20, 0x00000000);
  src.Randomise(rng);
  const Rect area{5, 4, 22, 13};
  Picture first(41, 7);
  ScaleCopy(blend, src, area, first, first.Whole());
  for (int y = 0; y < 20; ++y)
    for (int x = 0; x < 30; ++x)
      if (x < area.left || x >= area.right || y < area.top || y >= area.bottom)
        src.At(x, y) = ~src.At(x, y);
  Picture second(41, 7);
  ScaleCopy(blend, src, area, second, second.Whole());
  EXPECT_EQ(first.pixels, second.pixels);
}

TEST_P(ScaledBlendTest, KeyProtectionNeverMixesAKeyPixelWithAClearOne) {
  Picture src(2, 2);
  src.pixels = {kKeyPixel, kClear, kClear, kKeyPixel};
  for (const Size size : {Size{7, 7}, Size{9, 3}, Size{1, 1}, Size{5, 40}}) {
    Picture dst(size.width, size.height);
    ScaleCopy(blend, src, src.Whole(), dst, dst.Whole(), true);
    for (std::uint32_t p : dst.pixels) ASSERT_TRUE(p == kKeyPixel || p == kClear) << std::hex << p;
  }
  // A key pixel with any alpha is still a key pixel.
  Picture pair(2, 1);
  pair.pixels = {0x000080FF, 0xFF123456};
  Picture out(9, 1);
  ScaleCopy(blend, pair, pair.Whole(), out, out.Whole(), true);
  for (std::uint32_t p : out.pixels) ASSERT_TRUE(p == pair.pixels[0] || p == pair.pixels[1]);
}

TEST_P(ScaledBlendTest, WithoutProtectionTheKeyIsAnOrdinaryColour) {
  Picture src(3, 3);
  src.Randomise(rng);
  src.At(1, 1) = kKeyPixel;
  src.At(2, 0) = kKeyPixel;
  Picture plain(11, 8);
  Picture unmatched(11, 8);
  ScaleCopy(blend, src, src.Whole(), plain, plain.Whole(), false, kKeyColour);
  ScaleCopy(blend, src, src.Whole(), unmatched, unmatched.Whole(), true, 0x00010203);
  EXPECT_EQ(plain.pixels, unmatched.pixels);
}

TEST_P(ScaledBlendTest, SameGeometryRebuildsNoTable) {
  Picture src(13, 9);
  src.Randomise(rng);
  Picture dst(30, 30);
  ScaleCopy(blend, src, src.Whole(), dst, {0, 0, 20, 15});
  const ScaledBlend::TableState h = blend.Horizontal();
  const ScaledBlend::TableState v = blend.Vertical();
  EXPECT_EQ(h.builds, 1);
  EXPECT_EQ(v.builds, 1);
  EXPECT_EQ(h.key, (ScaleTableKey{13, 20, 0, 20, 4}));
  EXPECT_EQ(v.key, (ScaleTableKey{9, 15, 0, 15, -4 * 13}));

  ScaleCopy(blend, src, src.Whole(), dst, {5, 7, 25, 22});  // moved, fully visible
  EXPECT_EQ(blend.Horizontal().builds, 1);
  EXPECT_EQ(blend.Vertical().builds, 1);
  EXPECT_EQ(blend.Horizontal().entries, h.entries);
  EXPECT_EQ(blend.Vertical().entries, v.entries);

  Picture wider(20, 9);  // same rectangle, another row distance
  wider.Randomise(rng);
  ScaleCopy(blend, wider, src.Whole(), dst, {5, 7, 25, 22});
  EXPECT_EQ(blend.Horizontal().builds, 1);
  EXPECT_EQ(blend.Vertical().builds, 2);
  EXPECT_EQ(blend.Vertical().key.stepUnit, -4 * 20);
}

TEST_P(ScaledBlendTest, WithoutSlackArraysFollowTheCountsExactly) {
  Picture src(13, 9);
  src.Randomise(rng);
  Picture dst(40, 40);
  EXPECT_EQ(blend.GrowPercent(), 0);
  EXPECT_EQ(blend.ShrinkPercent(), 0);
  ScaleCopy(blend, src, src.Whole(), dst, {0, 0, 20, 15});
  EXPECT_EQ(blend.Horizontal().allocated, 20);
  EXPECT_EQ(blend.Vertical().allocated, 15);
  EXPECT_EQ(blend.RowBuffer().allocated(), 15);  // 13 + 2
  ScaleCopy(blend, src, {0, 0, 12, 9}, dst, {0, 0, 21, 14});
  EXPECT_EQ(blend.Horizontal().allocated, 21);
  EXPECT_EQ(blend.Vertical().allocated, 14);
  EXPECT_EQ(blend.RowBuffer().allocated(), 14);
  // Only the clipped part counts.
  ScaleCopy(blend, src, src.Whole(), dst, {-10, 30, 20, 60});
  EXPECT_EQ(blend.Horizontal().allocated, 20);
  EXPECT_EQ(blend.Vertical().allocated, 10);
  for (const auto* data : {blend.Horizontal().entries,
                           static_cast<const ScaleTableEntry*>(blend.RowBuffer().data())})
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(data) % 16, 0u);
}

TEST_P(ScaledBlendTest, WithSlackArraysAreKeptAndTablesStillRebuilt) {
  blend.SetGrowPercent(25);
  blend.SetShrinkPercent(25);
  Picture src(13, 9);
  src.Randomise(rng);
  Picture dst(40, 40);
  ScaleCopy(blend, src, src.Whole(), dst, {0, 0, 20, 15});
  const ScaleTableEntry* entries = blend.Horizontal().entries;
  EXPECT_EQ(blend.Horizontal().allocated, 25);
  Picture expected(40, 40);
  ScaledBlend reference;
  ScaleCopy(blend, src, src.Whole(), dst, {0, 0, 24, 15});
  ScaleCopy(reference, src, src.Whole(), expected, {0, 0, 24, 15});
  EXPECT_EQ(blend.Horizontal().entries, entries);
  EXPECT_EQ(blend.Horizontal().builds, 2);
  EXPECT_EQ(dst.pixels, expected.pixels);
}

TEST_P(ScaledBlendTest, UnsupportedCallsLeaveTheDestinationUntouched) {
  Picture src(6, 6);
  src.Randomise(rng);
  Picture dst(8, 8, 0x5A5A5A5A);
  const std::vector<std::uint32_t> before = dst.pixels;
  auto scale = [&](const std::uint32_t* s, Size ss, Rect sr, std::int32_t sf, Size ds, Rect dr,
                   std::int32_t df, std::int32_t opacity) {
    blend.Scale(ConstImageView{s, ss, sr}, sf, ImageView{dst.pixels.data(), ds, dr}, df, opacity,
                kKeyColour, true);
  };
  const std::uint32_t* s = src.pixels.data();
  scale(s, src.size, src.Whole(), 3, dst.size, dst.Whole(), kFormat, 100);
  scale(s, src.size, src.Whole(), kFormat, dst.size, dst.Whole(), 4, 100);
  scale(s, src.size, src.Whole(), kFormat, dst.size, dst.Whole(), kFormat, 50);
  scale(nullptr, src.size, src.Whole(), kFormat, dst.size, dst.Whole(), kFormat, 100);
  scale(s, src.size, {3, 3, 3, 6}, kFormat, dst.size, dst.Whole(), kFormat, 100);
  scale(s, src.size, {6, 0, 9, 6}, kFormat, dst.size, dst.Whole(), kFormat, 100);
  scale(s, src.size, src.Whole(), kFormat, dst.size, {8, 8, 12, 12}, kFormat, 100);
  scale(s, src.size, src.Whole(), kFormat, dst.size, {-4, -4, 0, 0}, kFormat, 100);
  scale(s, {-6, 6}, src.Whole(), kFormat, dst.size, dst.Whole(), kFormat, 100);
  scale(s, src.size, src.Whole(), kFormat, {8, 0}, dst.Whole(), kFormat, 100);
  // Absurd: an allocation claiming gigapixels, a destination wider than 2^31.
  scale(s, {65536, 65536}, src.Whole(), kFormat, dst.size, dst.Whole(), kFormat, 100);
  scale(s, src.size, src.Whole(), kFormat, dst.size, {INT32_MIN, 0, INT32_MAX, 8}, kFormat, 100);
  EXPECT_EQ(dst.pixels, before);
  blend.Scale(ConstImageView{s, src.size, src.Whole()}, kFormat,
              ImageView{nullptr, dst.size, dst.Whole()}, kFormat, 100, kKeyColour, false);
}

TEST_P(ScaledBlendTest, SourceWiderThanTheFixedPointRangeIsRefused) {
  Picture src(kMaxScaleSourceExtent + 1, 1, 0x01010101);
  Picture dst(4, 1, 0x77777777);
  ScaleCopy(blend, src, src.Whole(), dst, dst.Whole());
  EXPECT_EQ(dst.pixels, std::vector<std::uint32_t>(4, 0x77777777));
  ScaleCopy(blend, src, {1, 0, kMaxScaleSourceExtent + 1, 1}, dst, dst.Whole());
  EXPECT_EQ(dst.pixels, std::vector<std::uint32_t>(4, 0x01010101));
}

TEST_P(ScaledBlendTest, HugeEnlargementProducesOnlyTheVisiblePart) {
  Picture src(2, 2);
  src.pixels = {0xFF000000, 0xFF0000FF, 0xFF00FF00, 0xFFFF0000};
  Picture dst(6, 4);
  ScaleCopy(blend, src, src.Whole(), dst, {-1000000000, -5, 1000000000, 2000000000});
  EXPECT_EQ(blend.Horizontal().allocated, 6);
  EXPECT_EQ(blend.Vertical().allocated, 4);
  // Around the middle of two billion columns the two source columns mix
  // evenly; the visible rows all show the source's top row.
  EXPECT_EQ(dst.pixels, std::vector<std::uint32_t>(24, 0xFF7F7F00));
}

// ---- Key protection threshold, on each kernel table -------------------------

class ScalingFormulaTest : public ::testing::TestWithParam<bool> {
 protected:
  const ScalingKernels& kernels() const {
    return GetParam() ? Sse2Kernels().scaling : ScalarKernels().scaling;
  }
};

INSTANTIATE_TEST_SUITE_P(Kernels, ScalingFormulaTest, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "sse2" : "scalar"; });

std::uint32_t HorizontalPair(const ScalingKernels& k, std::uint32_t p0, std::uint32_t p1,
                             std::uint16_t w, bool protect) {
  const std::uint32_t row[2] = {p0, p1};
  const ScaleTableEntry entry{0, w ? 4 : 0, {w, w, w, w}};
  std::uint32_t out = 0;
  k.horizontalStep(row, &entry, 1, reinterpret_cast<std::uint8_t*>(&out),
                   {protect, KeyFromColour(kKeyColour)});
  return out;
}

std::uint32_t VerticalPair(const ScalingKernels& k, std::uint32_t p0, std::uint32_t p1,
                           std::uint16_t w, bool protect) {
  // Five pixels per row so that the vector path takes part.
  std::uint32_t rows[10];
  for (int i = 0; i < 5; ++i) rows[i] = p1, rows[5 + i] = p0;
  std::uint32_t out[5] = {};
  k.verticalStep(reinterpret_cast<const std::uint8_t*>(rows + 5), -20, w, 5, out,
                 {protect, KeyFromColour(kKeyColour)});
  for (int i = 1; i < 5; ++i) EXPECT_EQ(out[i], out[0]);
  return out[0];
}

TEST_P(ScalingFormulaTest, KeyPairTakesTheFirstUpTo128AndTheSecondAbove) {
  for (auto pair : {HorizontalPair, VerticalPair}) {
    EXPECT_EQ(pair(kernels(), kKeyPixel, kClear, 100, true), kKeyPixel);
    EXPECT_EQ(pair(kernels(), kKeyPixel, kClear, 128, true), kKeyPixel);
    EXPECT_EQ(pair(kernels(), kKeyPixel, kClear, 129, true), kClear);
    EXPECT_EQ(pair(kernels(), kClear, kKeyPixel, 100, true), kClear);
    EXPECT_EQ(pair(kernels(), kClear, kKeyPixel, 4095, true), kKeyPixel);
    // Two key pixels (alpha differs) or none are interpolated normally.
    EXPECT_EQ(pair(kernels(), kKeyPixel, 0x000080FF, 2048, true), 0x7F0080FFu);
    EXPECT_EQ(pair(kernels(), kClear, 0x02020202, 2048, true), 0x01010101u);
    // Unprotected: the key mixes like any colour.
    EXPECT_EQ(pair(kernels(), kKeyPixel, kClear, 2048, false), 0x7F00407Fu);
  }
}

TEST_P(ScalingFormulaTest, InterpolationRoundsTowardsMinusInfinity) {
  for (auto pair : {HorizontalPair, VerticalPair}) {
    EXPECT_EQ(pair(kernels(), 0x000000FF, 0x00000000, 1, false), 0x000000FEu);
    EXPECT_EQ(pair(kernels(), 0x00000000, 0x000000FF, 4095, false), 0x000000FEu);
    EXPECT_EQ(pair(kernels(), 0xFF00FF00, 0x00FF00FF, 0, false), 0xFF00FF00u);
  }
}

}  // namespace
}  // namespace kestrimo
