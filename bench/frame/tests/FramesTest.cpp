#include "bench/frame/Frames.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrimo::bench {
namespace {

RgbPicture Flat(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  RgbPicture p{width, height, {}};
  for (int i = 0; i < width * height; ++i) p.rgb.insert(p.rgb.end(), {r, g, b});
  return p;
}

TEST(Frames, Bgr24RowsAreBottomUp) {
  RgbPicture picture = Flat(2, 3, 0, 0, 0);
  picture.rgb[0] = 200;  // red of the top-left pixel
  const PackedFrame frame = ToBgr24(picture);
  EXPECT_EQ(frame.bytes[2 * frame.Stride() + 2], 200);  // last memory row, R byte
  EXPECT_EQ(frame.Row(0), frame.bytes.data() + 2 * frame.Stride());
}

TEST(Frames, StudioRangeWhiteAndBlack) {
  const PackedFrame white = ToYuy2(Flat(4, 2, 255, 255, 255));
  const PackedFrame black = ToYuy2(Flat(4, 2, 0, 0, 0));
  EXPECT_EQ(white.bytes[0], 235);
  EXPECT_EQ(white.bytes[1], 128);
  EXPECT_EQ(black.bytes[0], 16);
  EXPECT_EQ(black.bytes[3], 128);
}

TEST(Frames, PlanarCopiesKeepYuy2SamplesAndAverageRowPairsFor420) {
  PackedFrame frame{4, 2, FrameMode::Yuy2, {
      10, 100, 11, 200, 12, 50, 13, 60,   // row 0: pairs (U 100, V 200), (U 50, V 60)
      20, 110, 21, 210, 22, 71, 23, 90}};  // row 1
  const PlanarFrame p422 = ToPlanar(frame, Subsampling::Yuv422);
  EXPECT_EQ(p422.planes[0], (std::vector<std::uint8_t>{10, 11, 12, 13, 20, 21, 22, 23}));
  EXPECT_EQ(p422.planes[1], (std::vector<std::uint8_t>{100, 50, 110, 71}));
  const PlanarFrame p420 = ToPlanar(frame, Subsampling::Yuv420);
  EXPECT_EQ(p420.planes[1], (std::vector<std::uint8_t>{105, 61}));  // 60.5 rounds up
  EXPECT_EQ(p420.planes[2], (std::vector<std::uint8_t>{205, 75}));
}

TEST(Frames, ChangedLumaBoxIgnoresSharedChromaOnly) {
  PackedFrame a{6, 3, FrameMode::Yuy2, std::vector<std::uint8_t>(36, 50)};
  PackedFrame b = a;
  EXPECT_EQ(ChangedLumaBox(a, b).Pixels(), 0);
  b.Row(1)[3] = 99;  // the V of pair (0, 1)
  EXPECT_EQ(ChangedLumaBox(a, b).Pixels(), 0);
  b.Row(2)[2 * 5] = 99;  // luma of pixel (5, 2)
  b.Row(1)[2 * 3] = 99;  // luma of pixel (3, 1)
  EXPECT_EQ(ChangedLumaBox(a, b), (Area{3, 1, 3, 2}));
}

TEST(Frames, PsnrOverTheAreaOnly) {
  std::vector<std::uint8_t> a(100, 40), b(100, 40);
  EXPECT_EQ(Psnr(a, b, 10, Area{0, 0, 10, 10}), 99.0);
  b[5 * 10 + 5] = 40 + 255 / 5;  // one sample off by 51 in a 4 x 4 area: MSE 51^2 / 16
  EXPECT_NEAR(Psnr(a, b, 10, Area{4, 4, 4, 4}), 10 * std::log10(255.0 * 255.0 * 16 / (51.0 * 51.0)), 1e-9);
  EXPECT_EQ(Psnr(a, b, 10, Area{0, 0, 3, 3}), 99.0);  // the difference lies outside
}

}  // namespace
}  // namespace kestrimo::bench
