#include "imaging/FrameConversion.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <vector>

#include "imaging/ConversionKernels.h"
#include "imaging/CpuFeatures.h"
#include "tests/support/KernelTesting.h"

namespace kestrimo {
namespace {

using testing::GuardedBlock;
using Bytes4 = std::array<int, 4>;

// A host frame with guard bytes around it, addressed by picture coordinates.
class TestFrame {
 public:
  TestFrame(std::int32_t mode, std::int32_t width, std::int32_t height, std::uint8_t fill = 0)
      : bytesPerPixel_(mode == kFrameModeBgr ? 3 : 2),
        block_(static_cast<std::size_t>(bytesPerPixel_ * width * height), 3) {
    geometry_.SetFrameFormat(width, height, mode);
    for (std::size_t i = 0; i < block_.size(); ++i) block_.data()[i] = fill;
  }
  std::uint8_t* data() { return block_.data(); }
  const FrameGeometry& geometry() const { return geometry_; }
  // The 4:2:2 group holding pixel (x, y).
  std::uint8_t* Group(std::int32_t x, std::int32_t y) {
    return data() + 2 * (y * geometry_.width + (x & ~1));
  }
  // The B, G, R bytes of pixel (x, y); rows are stored bottom-up.
  std::uint8_t* Bgr(std::int32_t x, std::int32_t y) {
    return data() + 3 * ((geometry_.height - 1 - y) * geometry_.width + x);
  }
  std::vector<std::uint8_t> Bytes() const { return block_.Bytes(); }
  bool GuardsIntact() const { return block_.GuardsIntact(); }

 private:
  std::int32_t bytesPerPixel_;
  FrameGeometry geometry_;
  GuardedBlock block_;
};

// A 32-bit buffer; the layout decides whether its rows are top-down.
class TestWork {
 public:
  TestWork(std::int32_t width, std::int32_t height, std::uint8_t fill = 0xEE)
      : alloc_{width, height}, block_(static_cast<std::size_t>(4 * width * height)) {
    for (std::size_t i = 0; i < block_.size(); ++i) block_.data()[i] = fill;
  }
  std::uint32_t* pixels() { return block_.as<std::uint32_t>(); }
  Size alloc() const { return alloc_; }
  ImageView View(const Rect& r) { return {pixels(), alloc_, r}; }
  std::uint8_t* At(std::int32_t x, std::int32_t y, std::int32_t layout) {
    const bool bottomUp = layout == kLayoutBgrLuma || layout == kLayoutBgrAlpha;
    return block_.data() + 4 * ((bottomUp ? alloc_.height - 1 - y : y) * alloc_.width + x);
  }
  void Set(std::int32_t x, std::int32_t y, std::int32_t layout, Bytes4 v) {
    std::uint8_t* p = At(x, y, layout);
    for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v[i]);
  }
  Bytes4 Get(std::int32_t x, std::int32_t y, std::int32_t layout) {
    const std::uint8_t* p = At(x, y, layout);
    return {p[0], p[1], p[2], p[3]};
  }
  std::vector<std::uint8_t> Bytes() const { return block_.Bytes(); }
  bool GuardsIntact() const { return block_.GuardsIntact(); }

 private:
  Size alloc_;
  GuardedBlock block_;
};

Bytes4 Read4(const std::uint8_t* p) { return {p[0], p[1], p[2], p[3]}; }
void Write4(std::uint8_t* p, Bytes4 v) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<std::uint8_t>(v[i]);
}
std::array<int, 3> Read3(const std::uint8_t* p) { return {p[0], p[1], p[2]}; }
void SetBgr(std::uint8_t* p, std::array<int, 3> v) {
  for (int i = 0; i < 3; ++i) p[i] = static_cast<std::uint8_t>(v[i]);
}

int CountChanged(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
  int changed = 0;
  for (std::size_t i = 0; i < a.size(); ++i) changed += a[i] != b[i];
  return changed;
}

// Every case runs on the scalar references and on the kernels in use.
class FrameConversionTest : public ::testing::TestWithParam<KernelChoice> {
 protected:
  void SetUp() override { SetKernelChoice(GetParam()); }
  void TearDown() override { SetKernelChoice(KernelChoice::Best); }

  void Extract(TestFrame& f, Point at, TestWork& w, Rect r, std::int32_t layout) {
    ExtractArea(f.data(), f.geometry(), at, w.View(r), layout);
    EXPECT_TRUE(w.GuardsIntact());
  }
  void WriteBack(TestFrame& f, Point at, TestWork& w, Rect r, std::int32_t layout,
                 std::int32_t opacity) {
    WriteBackArea(f.data(), f.geometry(), at, w.View(r), layout, opacity);
    EXPECT_TRUE(f.GuardsIntact());
  }
};

INSTANTIATE_TEST_SUITE_P(Paths, FrameConversionTest,
                         ::testing::Values(KernelChoice::ScalarOnly, KernelChoice::Best),
                         [](const auto& info) {
                           return info.param == KernelChoice::ScalarOnly ? "scalar" : "best";
                         });

// ---- Extraction: formulas

TEST_P(FrameConversionTest, Yuy2GroupsBecomeTwoPixelsSharingChroma) {
  TestFrame f(kFrameModeYuy2, 4, 1);
  Write4(f.Group(0, 0), {10, 20, 30, 40});
  Write4(f.Group(2, 0), {50, 60, 70, 80});
  TestWork w(4, 1);
  Extract(f, {0, 0}, w, {0, 0, 4, 1}, kLayoutYuv);
  EXPECT_EQ(w.Get(0, 0, kLayoutYuv), (Bytes4{10, 20, 10, 40}));
  EXPECT_EQ(w.Get(1, 0, kLayoutYuv), (Bytes4{30, 20, 30, 40}));
  EXPECT_EQ(w.Get(2, 0, kLayoutYuv), (Bytes4{50, 60, 50, 80}));
  EXPECT_EQ(w.Get(3, 0, kLayoutYuv), (Bytes4{70, 60, 70, 80}));
  Extract(f, {0, 0}, w, {0, 0, 4, 1}, kLayoutYuvAlpha);
  EXPECT_EQ(w.Get(1, 0, kLayoutYuvAlpha), (Bytes4{30, 20, 255, 40}));
  EXPECT_EQ(w.Get(2, 0, kLayoutYuvAlpha), (Bytes4{50, 60, 255, 80}));
}

TEST_P(FrameConversionTest, Yuy2ToBgrUsesFlooredFixedPointProducts) {
  TestFrame f(kFrameModeYuy2, 6, 1);
  Write4(f.Group(0, 0), {128, 128, 128, 128});  // mid-grey
  Write4(f.Group(2, 0), {128, 100, 60, 200});   // negative u: floors away from zero
  Write4(f.Group(4, 0), {255, 255, 0, 0});      // saturates both ways
  TestWork w(6, 1);
  Extract(f, {0, 0}, w, {0, 0, 6, 1}, kLayoutBgrLuma);
  EXPECT_EQ(w.Get(0, 0, kLayoutBgrLuma), (Bytes4{128, 128, 128, 128}));
  EXPECT_EQ(w.Get(1, 0, kLayoutBgrLuma), (Bytes4{128, 128, 128, 128}));
  EXPECT_EQ(w.Get(2, 0, kLayoutBgrLuma), (Bytes4{78, 85, 228, 128}));
  EXPECT_EQ(w.Get(3, 0, kLayoutBgrLuma), (Bytes4{10, 17, 160, 60}));
  EXPECT_EQ(w.Get(4, 0, kLayoutBgrLuma), (Bytes4{255, 255, 75, 255}));
  EXPECT_EQ(w.Get(5, 0, kLayoutBgrLuma), (Bytes4{225, 47, 0, 0}));
  Extract(f, {0, 0}, w, {0, 0, 6, 1}, kLayoutBgrAlpha);
  EXPECT_EQ(w.Get(2, 0, kLayoutBgrAlpha), (Bytes4{78, 85, 228, 255}));
}

TEST_P(FrameConversionTest, BgrToYuvUsesFlooredFixedPointSums) {
  TestFrame f(kFrameModeBgr, 3, 1);
  SetBgr(f.Bgr(0, 0), {255, 255, 255});
  SetBgr(f.Bgr(1, 0), {0, 0, 255});  // red: U floors to -44
  SetBgr(f.Bgr(2, 0), {255, 0, 0});  // blue: V floors to -21
  TestWork w(3, 1);
  Extract(f, {0, 0}, w, {0, 0, 3, 1}, kLayoutYuv);
  EXPECT_EQ(w.Get(0, 0, kLayoutYuv), (Bytes4{255, 128, 255, 128}));
  EXPECT_EQ(w.Get(1, 0, kLayoutYuv), (Bytes4{76, 84, 76, 255}));
  EXPECT_EQ(w.Get(2, 0, kLayoutYuv), (Bytes4{29, 255, 29, 107}));
  Extract(f, {0, 0}, w, {0, 0, 3, 1}, kLayoutYuvAlpha);
  EXPECT_EQ(w.Get(1, 0, kLayoutYuvAlpha), (Bytes4{76, 84, 255, 255}));
  Extract(f, {0, 0}, w, {0, 0, 3, 1}, kLayoutBgrLuma);
  EXPECT_EQ(w.Get(1, 0, kLayoutBgrLuma), (Bytes4{0, 0, 255, 76}));
  EXPECT_EQ(w.Get(2, 0, kLayoutBgrLuma), (Bytes4{255, 0, 0, 29}));
  Extract(f, {0, 0}, w, {0, 0, 3, 1}, kLayoutBgrAlpha);
  EXPECT_EQ(w.Get(0, 0, kLayoutBgrAlpha), (Bytes4{255, 255, 255, 255}));
}

// ---- Extraction: addressing and clipping

TEST_P(FrameConversionTest, RowOrderFollowsFrameModeAndLayout) {
  TestFrame f(kFrameModeBgr, 2, 2);
  f.Bgr(0, 0)[0] = 11;  // picture row 0: the last row in memory
  f.Bgr(0, 1)[0] = 22;
  EXPECT_EQ(f.data()[6], 11);
  TestWork w(2, 2);
  Extract(f, {0, 0}, w, {0, 0, 2, 2}, kLayoutBgrAlpha);  // buffer bottom-up
  EXPECT_EQ(w.pixels()[2] & 0xFF, 11u);
  EXPECT_EQ(w.pixels()[0] & 0xFF, 22u);

  TestFrame g(kFrameModeYuy2, 2, 2);
  g.Group(0, 0)[0] = 33;  // picture row 0: the first row in memory
  g.Group(0, 1)[0] = 44;
  EXPECT_EQ(g.data()[0], 33);
  Extract(g, {0, 0}, w, {0, 0, 2, 2}, kLayoutYuv);  // buffer top-down
  EXPECT_EQ(w.pixels()[0] & 0xFF, 33u);
  EXPECT_EQ(w.pixels()[2] & 0xFF, 44u);
}

// Y of pixel (x, y) in a 4:2:2 frame filled with a position code.
std::uint8_t CodeOf(std::int32_t x, std::int32_t y) { return static_cast<std::uint8_t>(16 * y + x); }

TestFrame CodedYuy2Frame(std::int32_t width, std::int32_t height) {
  TestFrame f(kFrameModeYuy2, width, height);
  for (std::int32_t y = 0; y < height; ++y)
    for (std::int32_t x = 0; x < width; x += 2)
      Write4(f.Group(x, y), {CodeOf(x, y), 200, CodeOf(x + 1, y), 201});
  return f;
}

TEST_P(FrameConversionTest, NegativePositionFillsBufferFromMinusXMinusY) {
  TestFrame f = CodedYuy2Frame(8, 6);
  TestWork w(6, 5);
  Extract(f, {-2, -1}, w, {0, 0, 5, 4}, kLayoutYuv);
  for (std::int32_t y = 0; y < 5; ++y)
    for (std::int32_t x = 0; x < 6; ++x) {
      const bool written = x >= 2 && x < 5 && y >= 1 && y < 4;
      const Bytes4 got = w.Get(x, y, kLayoutYuv);
      if (written)
        EXPECT_EQ(got[0], CodeOf(x - 2, y - 1)) << x << "," << y;
      else
        EXPECT_EQ(got, (Bytes4{0xEE, 0xEE, 0xEE, 0xEE})) << x << "," << y;
    }
}

TEST_P(FrameConversionTest, AreaPastRightAndBottomIsCutAtTheFrameEdge) {
  TestFrame f = CodedYuy2Frame(8, 6);
  TestWork w(5, 4);
  Extract(f, {6, 4}, w, {0, 0, 5, 4}, kLayoutYuv);
  for (std::int32_t y = 0; y < 4; ++y)
    for (std::int32_t x = 0; x < 5; ++x) {
      if (x < 2 && y < 2)
        EXPECT_EQ(w.Get(x, y, kLayoutYuv)[0], CodeOf(6 + x, 4 + y));
      else
        EXPECT_EQ(w.Get(x, y, kLayoutYuv)[0], 0xEE);
    }
}

TEST_P(FrameConversionTest, OddStartAndOddEndTakeTheRightHalfOfTheirGroups) {
  TestFrame f = CodedYuy2Frame(8, 1);
  TestWork w(4, 1);
  Extract(f, {3, 0}, w, {0, 0, 4, 1}, kLayoutYuv);  // columns 3..6
  EXPECT_EQ(w.Get(0, 0, kLayoutYuv), (Bytes4{CodeOf(3, 0), 200, CodeOf(3, 0), 201}));
  EXPECT_EQ(w.Get(1, 0, kLayoutYuv)[0], CodeOf(4, 0));
  EXPECT_EQ(w.Get(2, 0, kLayoutYuv)[0], CodeOf(5, 0));
  EXPECT_EQ(w.Get(3, 0, kLayoutYuv), (Bytes4{CodeOf(6, 0), 200, CodeOf(6, 0), 201}));
}

TEST_P(FrameConversionTest, OddFrameWidthUsesOnlyWholeGroups) {
  TestFrame odd(kFrameModeYuy2, 5, 2);  // 10-byte rows: column 4 has no V in its row
  TestWork w(5, 2);
  Extract(odd, {0, 0}, w, {0, 0, 5, 2}, kLayoutYuv);
  EXPECT_EQ(w.Get(4, 0, kLayoutYuv)[0], 0xEE);
  EXPECT_EQ(w.Get(3, 1, kLayoutYuv)[0], 0);
  TestWork source(5, 2, 255);
  WriteBack(odd, {0, 0}, source, {0, 0, 5, 2}, kLayoutYuvAlpha, 100);
  const std::vector<std::uint8_t> bytes = odd.Bytes();
  EXPECT_EQ(bytes[8], 0);  // column 4 of row 0
  EXPECT_EQ(bytes[9], 0);
  EXPECT_EQ(bytes[18], 0);  // column 4 of the last row
  EXPECT_EQ(bytes[10], 255);
}

TEST_P(FrameConversionTest, NothingIsWrittenWithoutAnOverlapOrAValidCombination) {
  TestFrame f = CodedYuy2Frame(8, 6);
  TestWork w(6, 5);
  const std::vector<std::uint8_t> before = w.Bytes();
  const Rect area{0, 0, 5, 4};
  Extract(f, {8, 0}, w, area, kLayoutYuv);
  Extract(f, {0, 6}, w, area, kLayoutYuv);
  Extract(f, {-5, 0}, w, area, kLayoutYuv);
  Extract(f, {0, -4}, w, area, kLayoutYuv);
  Extract(f, {INT32_MAX - 2, 0}, w, area, kLayoutYuv);
  Extract(f, {INT32_MIN, INT32_MIN}, w, area, kLayoutYuv);
  Extract(f, {0, 0}, w, {6, 0, 10, 4}, kLayoutYuv);     // outside the buffer
  Extract(f, {0, 0}, w, {3, 2, 3, 4}, kLayoutYuv);      // empty
  Extract(f, {0, 0}, w, {INT32_MIN, 0, INT32_MAX, 4}, kLayoutYuv);
  Extract(f, {0, 0}, w, area, 5);                       // unknown layout
  ExtractArea(f.data(), f.geometry(), {0, 0}, ImageView{w.pixels(), {0, 0}, area}, kLayoutYuv);
  ExtractArea(f.data(), f.geometry(), {0, 0}, ImageView{w.pixels(), {-6, 5}, area}, kLayoutYuv);
  ExtractArea(f.data(), f.geometry(), {0, 0}, ImageView{nullptr, w.alloc(), area}, kLayoutYuv);
  ExtractArea(nullptr, f.geometry(), {0, 0}, w.View(area), kLayoutYuv);
  FrameGeometry other = f.geometry();
  other.mode = 2;
  ExtractArea(f.data(), other, {0, 0}, w.View(area), kLayoutYuv);
  other.mode = kFrameModeYuy2;
  other.width = -8;
  ExtractArea(f.data(), other, {0, 0}, w.View(area), kLayoutYuv);
  EXPECT_EQ(w.Bytes(), before);
}

// ---- Write-back: blend formula

TEST(OpacityScaleTest, MapsPercentToTwoFiftySixths) {
  EXPECT_EQ(OpacityScale(100), 256);
  EXPECT_EQ(OpacityScale(60), 153);
  EXPECT_EQ(OpacityScale(1), 2);
  EXPECT_EQ(OpacityScale(0), 0);
  EXPECT_EQ(OpacityScale(250), 256);
  EXPECT_EQ(OpacityScale(-3), 0);
}

// Blends one BGRA pixel over one BGR pixel and returns the frame's B, G, R.
std::array<int, 3> BlendOne(Bytes4 source, std::array<int, 3> frame, std::int32_t opacity) {
  TestFrame f(kFrameModeBgr, 1, 1);
  for (int i = 0; i < 3; ++i) f.Bgr(0, 0)[i] = static_cast<std::uint8_t>(frame[i]);
  TestWork w(1, 1);
  w.Set(0, 0, kLayoutBgrAlpha, source);
  WriteBackArea(f.data(), f.geometry(), {0, 0}, w.View({0, 0, 1, 1}), kLayoutBgrAlpha, opacity);
  EXPECT_TRUE(f.GuardsIntact());
  return Read3(f.Bgr(0, 0));
}

TEST_P(FrameConversionTest, BlendWorkedValues) {
  EXPECT_EQ(BlendOne({200, 100, 200, 128}, {100, 200, 100}, 100), (std::array<int, 3>{150, 149, 150}));
  EXPECT_EQ(BlendOne({200, 0, 30, 255}, {100, 255, 40}, 60), (std::array<int, 3>{159, 102, 34}));
  EXPECT_EQ(BlendOne({30, 0, 0, 200}, {40, 0, 0}, 50), (std::array<int, 3>{36, 0, 0}));
  EXPECT_EQ(BlendOne({7, 8, 9, 255}, {200, 100, 0}, 100), (std::array<int, 3>{7, 8, 9}));
  EXPECT_EQ(BlendOne({7, 8, 9, 0}, {200, 100, 0}, 100), (std::array<int, 3>{200, 100, 0}));
  EXPECT_EQ(BlendOne({7, 8, 9, 255}, {200, 100, 0}, 0), (std::array<int, 3>{200, 100, 0}));
  EXPECT_EQ(BlendOne({7, 8, 9, 255}, {200, 100, 0}, 180), (std::array<int, 3>{7, 8, 9}));
  EXPECT_EQ(BlendOne({7, 8, 9, 255}, {200, 100, 0}, -20), (std::array<int, 3>{200, 100, 0}));
}

TEST_P(FrameConversionTest, FullAlphaAndOpacityReproduceTheSource) {
  testing::TestRng rng;
  TestFrame f(kFrameModeBgr, 9, 3);
  testing::FillBytes(f.data(), 9 * 3 * 3, rng);
  TestWork w(9, 3);
  for (std::int32_t y = 0; y < 3; ++y)
    for (std::int32_t x = 0; x < 9; ++x)
      w.Set(x, y, kLayoutBgrAlpha, {rng.Byte(), rng.Byte(), rng.Byte(), 255});
  WriteBack(f, {0, 0}, w, {0, 0, 9, 3}, kLayoutBgrAlpha, 100);
  for (std::int32_t y = 0; y < 3; ++y)
    for (std::int32_t x = 0; x < 9; ++x) {
      const Bytes4 s = w.Get(x, y, kLayoutBgrAlpha);
      EXPECT_EQ(Read3(f.Bgr(x, y)), (std::array<int, 3>{s[0], s[1], s[2]}));
    }
}

TEST_P(FrameConversionTest, OpacityZeroOrAlphaZeroLeavesTheFrame) {
  testing::TestRng rng;
  TestFrame f(kFrameModeYuy2, 10, 3);
  testing::FillBytes(f.data(), 10 * 3 * 2, rng);
  const std::vector<std::uint8_t> before = f.Bytes();
  TestWork w(10, 3);
  testing::FillBytes(w.pixels(), 10 * 3 * 4, rng);
  WriteBack(f, {0, 0}, w, {0, 0, 10, 3}, kLayoutYuvAlpha, 0);
  EXPECT_EQ(f.Bytes(), before);
  for (std::int32_t y = 0; y < 3; ++y)
    for (std::int32_t x = 0; x < 10; ++x) {
      w.At(x, y, kLayoutYuvAlpha)[2] = 0;
      w.At(x, y, kLayoutBgrAlpha)[3] = 0;
    }
  WriteBack(f, {1, 0}, w, {0, 0, 9, 3}, kLayoutYuvAlpha, 100);
  WriteBack(f, {1, 0}, w, {0, 0, 9, 3}, kLayoutBgrAlpha, 100);
  EXPECT_EQ(f.Bytes(), before);
}

// ---- Write-back over 4:2:2

TEST_P(FrameConversionTest, YuvGroupTakesFirstPixelChromaAndPerPositionAlpha) {
  TestFrame f(kFrameModeYuy2, 4, 1, 100);
  TestWork w(4, 1);
  w.Set(0, 0, kLayoutYuvAlpha, {10, 20, 255, 30});
  w.Set(1, 0, kLayoutYuvAlpha, {40, 50, 255, 60});  // its chroma is dropped
  w.Set(2, 0, kLayoutYuvAlpha, {200, 200, 255, 200});
  w.Set(3, 0, kLayoutYuvAlpha, {70, 80, 0, 90});  // alpha 0: Y1 stays
  WriteBack(f, {0, 0}, w, {0, 0, 4, 1}, kLayoutYuvAlpha, 100);
  EXPECT_EQ(Read4(f.Group(0, 0)), (Bytes4{10, 20, 40, 30}));
  EXPECT_EQ(Read4(f.Group(2, 0)), (Bytes4{200, 200, 100, 200}));
}

TEST_P(FrameConversionTest, BgrSourceIsConvertedBeforeTheGroupBlend) {
  TestFrame f(kFrameModeYuy2, 4, 1, 7);
  TestWork w(4, 1);
  w.Set(0, 0, kLayoutBgrAlpha, {255, 255, 255, 255});
  w.Set(1, 0, kLayoutBgrAlpha, {0, 0, 255, 255});
  w.Set(2, 0, kLayoutBgrAlpha, {255, 0, 0, 255});
  w.Set(3, 0, kLayoutBgrAlpha, {255, 255, 255, 0});
  WriteBack(f, {0, 0}, w, {0, 0, 4, 1}, kLayoutBgrAlpha, 100);
  EXPECT_EQ(Read4(f.Group(0, 0)), (Bytes4{255, 128, 76, 128}));
  EXPECT_EQ(Read4(f.Group(2, 0)), (Bytes4{29, 255, 7, 107}));
}

TEST_P(FrameConversionTest, OddStartChangesOnlyY1AndOddEndKeepsY1) {
  TestFrame f(kFrameModeYuy2, 8, 1, 100);
  TestWork w(4, 1);
  for (std::int32_t x = 0; x < 4; ++x) w.Set(x, 0, kLayoutYuvAlpha, {200, 150, 255, 50});
  WriteBack(f, {3, 0}, w, {0, 0, 4, 1}, kLayoutYuvAlpha, 100);  // columns 3..6
  EXPECT_EQ(Read4(f.Group(0, 0)), (Bytes4{100, 100, 100, 100}));
  EXPECT_EQ(Read4(f.Group(2, 0)), (Bytes4{100, 100, 200, 100}));
  EXPECT_EQ(Read4(f.Group(4, 0)), (Bytes4{200, 150, 200, 50}));
  EXPECT_EQ(Read4(f.Group(6, 0)), (Bytes4{200, 150, 100, 50}));
}

TEST_P(FrameConversionTest, SinglePixelUsesItsOwnAlphaInAllPositions) {
  TestFrame f(kFrameModeYuy2, 4, 1, 100);
  TestWork w(1, 1);
  w.Set(0, 0, kLayoutYuvAlpha, {200, 0, 128, 255});
  WriteBack(f, {2, 0}, w, {0, 0, 1, 1}, kLayoutYuvAlpha, 100);  // odd end
  EXPECT_EQ(Read4(f.Group(2, 0)), (Bytes4{150, 49, 100, 178}));
  WriteBack(f, {1, 0}, w, {0, 0, 1, 1}, kLayoutYuvAlpha, 100);  // odd start
  EXPECT_EQ(Read4(f.Group(0, 0)), (Bytes4{100, 100, 150, 100}));
}

TEST_P(FrameConversionTest, WidthOneAtOddColumnChangesOneBytePerRow) {
  TestFrame f(kFrameModeYuy2, 8, 5, 100);
  const std::vector<std::uint8_t> before = f.Bytes();
  TestWork w(1, 5);
  for (std::int32_t y = 0; y < 5; ++y) w.Set(0, y, kLayoutBgrAlpha, {0, 0, 0, 255});
  WriteBack(f, {5, 0}, w, {0, 0, 1, 5}, kLayoutBgrAlpha, 100);
  EXPECT_EQ(CountChanged(before, f.Bytes()), 5);
  for (std::int32_t y = 0; y < 5; ++y) EXPECT_EQ(Read4(f.Group(5, y)), (Bytes4{100, 100, 0, 100}));
}

// ---- Write-back: clipping and refusals

TEST_P(FrameConversionTest, WriteBackStaysInsideTheFrame) {
  for (const std::int32_t mode : {kFrameModeYuy2, kFrameModeBgr}) {
    const std::int32_t layout = kLayoutBgrAlpha;
    TestFrame f(mode, 7, 5, 100);
    TestWork w(6, 4);
    for (std::int32_t y = 0; y < 4; ++y)
      for (std::int32_t x = 0; x < 6; ++x) w.Set(x, y, layout, {0, 0, 0, 255});
    WriteBack(f, {3, 2}, w, {0, 0, 6, 4}, layout, 100);
    WriteBack(f, {-4, -2}, w, {0, 0, 6, 4}, layout, 100);
    const std::vector<std::uint8_t> bytes = f.Bytes();
    // Changed: the bottom-right corner, columns 3..6 by rows 2..4 (4:2:2:
    // column 3 is an odd start, column 6 has no whole group and stays), and
    // the top-left 2 x 2.
    const int expected = mode == kFrameModeYuy2 ? (1 + 4) * 3 + 4 * 2 : (4 * 3 + 2 * 2) * 3;
    EXPECT_EQ(CountChanged(std::vector<std::uint8_t>(bytes.size(), 100), bytes), expected)
        << "mode " << mode;
  }
}

TEST_P(FrameConversionTest, WriteBackRefusesWhatItCannotDo) {
  TestFrame f(kFrameModeBgr, 8, 6, 100);
  TestFrame g(kFrameModeYuy2, 8, 6, 100);
  TestWork w(6, 5, 0);
  const Rect area{0, 0, 5, 4};
  WriteBack(f, {0, 0}, w, area, kLayoutYuvAlpha, 100);  // not a chain combination
  WriteBack(f, {0, 0}, w, area, kLayoutBgrLuma, 100);
  WriteBack(g, {0, 0}, w, area, kLayoutYuv, 100);
  WriteBack(g, {0, 0}, w, area, kLayoutBgrLuma, 100);
  WriteBack(f, {8, 0}, w, area, kLayoutBgrAlpha, 100);  // wholly outside
  WriteBack(f, {0, -4}, w, area, kLayoutBgrAlpha, 100);
  WriteBack(f, {0, 0}, w, {6, 0, 11, 4}, kLayoutBgrAlpha, 100);
  WriteBack(f, {0, 0}, w, {2, 2, 1, 4}, kLayoutBgrAlpha, 100);
  WriteBackArea(f.data(), f.geometry(), {0, 0}, ConstImageView{nullptr, w.alloc(), area},
                kLayoutBgrAlpha, 100);
  WriteBackArea(f.data(), f.geometry(), {0, 0}, ConstImageView{w.pixels(), {6, -5}, area},
                kLayoutBgrAlpha, 100);
  FrameGeometry other = f.geometry();
  other.mode = -1;
  WriteBackArea(f.data(), other, {0, 0}, w.View(area), kLayoutBgrAlpha, 100);
  EXPECT_EQ(f.Bytes(), std::vector<std::uint8_t>(8 * 6 * 3, 100));
  EXPECT_EQ(g.Bytes(), std::vector<std::uint8_t>(8 * 6 * 2, 100));
}

}  // namespace
}  // namespace kestrimo
