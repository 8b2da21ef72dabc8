// The logo finder's refusals on generated clips: too few samples, a still
// picture, clips without a logo near the top or bottom, scenery that what
// passes in front hides, lines that last in one direction; and the picture
// found inside bars. (Finding logos is measured on real pictures,
// tests/detect.)
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
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

// Frames of a clip, each painted over by `paint` (frame t, YUY2 rows top-down).
using Painter = std::function<void(int t, std::uint8_t* yuy2)>;

LogoSearch DetectPainted(const LogoClip& clip, const LogoClipLayout& layout, int frames,
                         const Painter& paint) {
  LogoStatistics statistics;
  EXPECT_TRUE(statistics.Start(layout.width, layout.height, kFrameModeYuy2));
  std::vector<std::uint8_t> frame(clip.FrameBytes());
  for (int t = 0; t < frames; ++t) {
    clip.WithLogo(t, frame.data());
    paint(t, frame.data());
    statistics.AddFrame(frame.data(), 2 * layout.width);
  }
  return LogoFinder().Find(statistics);
}

void PaintLuma(std::uint8_t* yuy2, int width, const Rect& area, std::uint8_t luma) {
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      yuy2[2 * (static_cast<std::size_t>(y) * width + x)] = luma;
      yuy2[2 * (static_cast<std::size_t>(y) * width + x) + 1] = 128;
    }
  }
}

// A fixed camera: a flat, still picture with a still shape near the top, and
// a block showing moving content carried on a long path from the top-left
// over the middle. Drawn under the block, the shape is scenery the block
// hides now and then; drawn over it, the shape stays on top, as a logo does.
TEST(LogoDetectRefusal, WhatIsHiddenIsSceneryWhatStaysOnTopIsALogo) {
  const LogoClipLayout moving{320, 240, {0, 0, 0, 0}, 100};
  const LogoClip content(moving);
  std::vector<std::uint8_t> block(content.FrameBytes());
  const Rect shape{20, 8, 80, 36};
  const auto paintShape = [&](std::uint8_t* frame) {
    PaintLuma(frame, moving.width, shape, 220);
    PaintLuma(frame, moving.width, {36, 16, 64, 28}, 40);
  };
  for (const bool onTop : {false, true}) {
    const Painter paint = [&](int t, std::uint8_t* frame) {
      PaintLuma(frame, moving.width, {0, 0, moving.width, moving.height}, 110);
      if (!onTop) paintShape(frame);
      content.Clean(t, block.data());
      const int k = t % 122 < 61 ? t % 122 : 121 - t % 122;  // there and back
      const int left = 10 + 4 * k, top = 5 + 5 * k / 2;
      for (int y = top; y < std::min(top + 60, moving.height); ++y) {
        const std::size_t row = 2 * static_cast<std::size_t>(y) * moving.width;
        std::copy(block.begin() + static_cast<std::ptrdiff_t>(row + 2 * left),
                  block.begin() + static_cast<std::ptrdiff_t>(row + 2 * std::min(left + 60, moving.width)),
                  frame + row + 2 * left);
      }
      if (onTop) paintShape(frame);
    };
    const LogoSearch search = DetectPainted(content, moving, 122, paint);
    if (!onTop) {
      EXPECT_NE(search.outcome, LogoSearch::Outcome::Found) << "scenery at " << search.box.left << "," << search.box.top;
      continue;
    }
    ASSERT_EQ(search.outcome, LogoSearch::Outcome::Found);
    EXPECT_LE(search.box.left, shape.left);
    EXPECT_GE(search.box.right, shape.right);
  }
}

// Still horizontal strokes near the top over a moving picture, each shorter
// than a line of the picture is taken to be: edges that last only along one
// direction (as lines a pan slides along) are no logo.
TEST(LogoDetectRefusal, EdgesLastingOneWayOnlyAreNoLogo) {
  const LogoClipLayout nothing{320, 240, {0, 0, 0, 0}, 100};
  const Painter strokes = [&](int, std::uint8_t* frame) {
    PaintLuma(frame, nothing.width, {40, 20, 120, 23}, 250);
    PaintLuma(frame, nothing.width, {150, 30, 230, 33}, 250);
    PaintLuma(frame, nothing.width, {60, 200, 140, 203}, 20);
  };
  EXPECT_EQ(DetectPainted(LogoClip(nothing), nothing, kFrames, strokes).outcome,
            LogoSearch::Outcome::NoLogo);
}

// Black bars above and below the picture: the logo at the picture's top
// lies below the frame's top band, and is found whole, with the picture.
TEST(LogoDetectPicture, ALogoInsideLetterboxBarsIsFoundWhole) {
  const LogoClipLayout inside{320, 240, {230, 46, 290, 76}, 100};
  const LogoClip clip(inside);
  const Painter bars = [&](int, std::uint8_t* frame) {
    PaintLuma(frame, inside.width, {0, 0, inside.width, 40}, 16);
    PaintLuma(frame, inside.width, {0, 200, inside.width, inside.height}, 16);
  };
  const LogoSearch search = DetectPainted(clip, inside, kFrames, bars);
  ASSERT_EQ(search.outcome, LogoSearch::Outcome::Found);
  EXPECT_EQ(search.picture, (Rect{0, 40, inside.width, 200}));
  const Rect truth = clip.Logo().Bounds();
  EXPECT_LE(search.box.top, truth.top);
  EXPECT_GE(search.box.bottom, truth.bottom);
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
