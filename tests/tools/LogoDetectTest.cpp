// The logo finder's refusals on generated clips: too few samples, a still
// picture, and clips without a logo near the top or bottom. (Finding logos is
// measured on real pictures, tests/detect.)
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include <random>

#include "base/FrameGeometry.h"
#include "detect/LogoFinder.h"
#include "detect/LogoStatistics.h"
#include "tests/tools/LogoClip.h"

namespace kestrimo {
namespace {

using testing::LogoClip;
using testing::LogoClipLayout;

constexpr int kFrames = 48;

LogoSearch Detect(const LogoClip& clip, const LogoClipLayout& layout, int frames, bool still = false) {
  LogoStatistics statistics;
  EXPECT_TRUE(statistics.Start(layout.width, layout.height, kFrameModeYuy2));
  std::vector<std::uint8_t> frame(clip.FrameBytes());
  for (int t = 0; t < frames; ++t) {
    clip.WithLogo(still ? 0 : t, frame.data());
    statistics.AddFrame(frame.data(), 2 * layout.width);
  }
  return LogoFinder().Find(statistics);
}

TEST(LogoDetectRefusal, TellsWhyNoLogoIsFound) {
  const LogoClipLayout corner{320, 240, {12, 10, 52, 26}, 100};
  const LogoClip clip(corner);
  EXPECT_EQ(Detect(clip, corner, LogoFinder::kMinSamples - 1).outcome,
            LogoSearch::Outcome::TooFewSamples);
  EXPECT_EQ(Detect(clip, corner, kFrames, true).outcome, LogoSearch::Outcome::StillCamera);

  // Moving content only, and a still area in the middle of the picture
  // (a caption, not a logo): nothing to find.
  const LogoClipLayout nothing{320, 240, {0, 0, 0, 0}, 100};
  EXPECT_EQ(Detect(LogoClip(nothing), nothing, kFrames).outcome, LogoSearch::Outcome::NoLogo);
  const LogoClipLayout middle{320, 240, {140, 110, 180, 126}, 100};
  EXPECT_EQ(Detect(LogoClip(middle), middle, kFrames).outcome, LogoSearch::Outcome::NoLogo);
}

// A still vertical edge down the whole height beside the centre (a pillarbox
// bar's side) crosses both bands from top to bottom: a line of the picture,
// not a logo.
TEST(LogoDetectRefusal, AFullHeightEdgeIsNoLogo) {
  const LogoClipLayout nothing{320, 240, {0, 0, 0, 0}, 100};
  const LogoClip clip(nothing);
  for (const int edge : {40, 300}) {
    LogoStatistics statistics;
    ASSERT_TRUE(statistics.Start(nothing.width, nothing.height, kFrameModeYuy2));
    std::vector<std::uint8_t> frame(clip.FrameBytes());
    for (int t = 0; t < kFrames; ++t) {
      clip.WithLogo(t, frame.data());
      for (int y = 0; y < nothing.height; ++y) {
        for (int x = edge; x < edge + 4; ++x) frame[2 * (y * nothing.width + x)] = 16;
      }
      statistics.AddFrame(frame.data(), 2 * nothing.width);
    }
    EXPECT_EQ(LogoFinder().Find(statistics).outcome, LogoSearch::Outcome::NoLogo) << "edge at " << edge;
  }
}

TEST(LogoDetectRefusal, TooFewFramesEvenForATinyFrame) {
  LogoStatistics statistics;
  ASSERT_TRUE(statistics.Start(1, 1, kFrameModeYuy2));
  const std::uint8_t pixel[2] = {7, 128};
  statistics.AddFrame(pixel, 2);
  EXPECT_EQ(LogoFinder().Find(statistics).outcome, LogoSearch::Outcome::TooFewSamples);
}

bool SameSums(const PlaneSums& a, const PlaneSums& b) {
  for (int d = 0; d < 4; ++d) {
    if (a.towards[d] != b.towards[d]) return false;
  }
  return a.gradientX == b.gradientX && a.gradientY == b.gradientY && a.values == b.values &&
         a.squares == b.squares;
}

// Rows added in bands over several frames (as the plug-in adds them within a
// budget per frame) sum as whole frames do, and a grey bottom-up BGR24 frame
// sums as the same picture in YUY2 (odd widths, bands of one row, a band
// running past the bottom, a frame looked at in halves).
TEST(LogoStatisticsRows, BandsAndBothFormatsSumAlike) {
  struct Case { int width, height, band; };
  for (const Case c : {Case{33, 17, 1}, Case{64, 40, 7}, Case{15, 9, 4}, Case{1283, 723, 50}}) {
    std::mt19937 random(c.width);
    LogoStatistics whole, bands, bgr;
    ASSERT_TRUE(whole.Start(c.width, c.height, kFrameModeYuy2));
    ASSERT_TRUE(bands.Start(c.width, c.height, kFrameModeYuy2));
    ASSERT_TRUE(bgr.Start(c.width, c.height, kFrameModeBgr));
    std::vector<std::uint8_t> yuy2(2 * static_cast<std::size_t>(c.width) * c.height);
    std::vector<std::uint8_t> bottomUp(3 * static_cast<std::size_t>(c.width) * c.height);
    for (int frame = 0; frame < 5; ++frame) {
      for (int y = 0; y < c.height; ++y) {
        for (int x = 0; x < c.width; ++x) {
          const auto grey = static_cast<std::uint8_t>(random() & 0xFF);
          yuy2[2 * (static_cast<std::size_t>(y) * c.width + x)] = grey;
          yuy2[2 * (static_cast<std::size_t>(y) * c.width + x) + 1] = 128;
          std::uint8_t* pixel = &bottomUp[3 * (static_cast<std::size_t>(c.height - 1 - y) * c.width + x)];
          pixel[0] = pixel[1] = pixel[2] = grey;
        }
      }
      whole.AddFrame(yuy2.data(), 2 * c.width);
      bgr.AddFrame(bottomUp.data(), 3 * c.width);
      for (int first = 0; first < bands.Height(); first += c.band) {
        bands.AddRows(yuy2.data(), 2 * c.width, first, c.band);
      }
    }
    for (int p = 0; p < 3; ++p) {
      EXPECT_TRUE(SameSums(whole.Plane(p), bands.Plane(p))) << c.width << "x" << c.height << " plane " << p;
      EXPECT_TRUE(SameSums(whole.Plane(p), bgr.Plane(p))) << c.width << "x" << c.height << " plane " << p;
    }
    EXPECT_EQ(bands.Samples(), 5);
    EXPECT_EQ(bands.Scale(), c.width * c.height > LogoStatistics::kHalvingPixels ? 2 : 1);
  }
}

// Frames looked at in halves keep U and V apart, in both formats.
TEST(LogoStatisticsRows, HalvedFramesKeepTheirChroma) {
  constexpr int kWidth = 1920, kHeight = 1080;
  std::vector<std::uint8_t> yuy2(2 * static_cast<std::size_t>(kWidth) * kHeight);
  for (std::size_t i = 0; i < yuy2.size(); i += 4) {
    yuy2[i] = yuy2[i + 2] = 100;
    yuy2[i + 1] = 60;
    yuy2[i + 3] = 200;
  }
  LogoStatistics statistics;
  ASSERT_TRUE(statistics.Start(kWidth, kHeight, kFrameModeYuy2));
  ASSERT_EQ(statistics.Scale(), 2);
  statistics.AddFrame(yuy2.data(), 2 * kWidth);
  const std::uint32_t expected[3] = {100, 60, 200};
  for (int p = 0; p < 3; ++p) {
    const std::vector<std::uint32_t>& values = statistics.Plane(p).values;
    EXPECT_EQ(std::count(values.begin(), values.end(), expected[p]),
              static_cast<std::ptrdiff_t>(values.size())) << "plane " << p;
  }
}

}  // namespace
}  // namespace kestrimo
