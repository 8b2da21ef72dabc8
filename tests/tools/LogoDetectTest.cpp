// Logo detection on generated clips: the mask picture written for the found
// logo, loaded and placed by the plug-in's own code, covers the logo, and the
// plug-in's removal with it is as good as with a picture of the exact shape.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "plugin/EntryPoints.h"
#include "engine/FrameDriver.h"
#include "engine/PluginState.h"
#include "tests/settings/SettingsTestFiles.h"
#include "tests/tools/LogoClip.h"
#include "tools/kestrimo-host/detect/DetectLuma.h"
#include "tools/kestrimo-host/detect/LogoBitmapFile.h"
#include "tools/kestrimo-host/detect/LogoCoverage.h"
#include "tools/kestrimo-host/detect/LogoDetector.h"
#include "tools/kestrimo-host/detect/LogoPicture.h"

namespace kestrimo {
namespace {

using testing::LogoClip;
using testing::LogoClipLayout;

constexpr int kFrames = 48;
constexpr std::uint32_t kKey = 16744448;  // the settings' default ColorKey
constexpr int kMargin = 4;

LogoSearch Detect(const LogoClip& clip, const LogoClipLayout& layout, int frames, bool still = false) {
  LogoStatistics statistics;
  statistics.Reset(layout.width, layout.height);
  std::vector<std::uint8_t> frame(clip.FrameBytes());
  std::vector<std::uint8_t> luma(static_cast<std::size_t>(layout.width) * layout.height);
  for (int t = 0; t < frames; ++t) {
    clip.WithLogo(still ? 0 : t, frame.data());
    FrameLuma(StreamFormat::Yuyv422, {layout.width, layout.height}, frame.data(), luma.data());
    statistics.Add(luma.data());
  }
  return LogoDetector().Find(statistics);
}

// Writes the mask picture for `logo` and returns the channel record using it.
ChannelSettings WriteMask(const LogoMask& logo, const std::string& path) {
  LogoPicture picture = PlaceLogoPicture(logo, kMargin);
  LogoCoverage(logo.Width(), logo.Height()).Fit(picture, logo, kKey);
  EXPECT_EQ(WriteLogoBitmap(path, picture, kKey), "");
  ChannelSettings record = RecordFor(picture, path, kKey, 0);
  record.Id = 1;
  return record;
}

struct Overlap {
  double covered;  // share of the logo's pixels
  double extra;    // pixels beyond the logo, as a share of the logo's pixels
};

Overlap Compare(const LogoMask& truth, const LogoMask& rebuilt) {
  double logo = 0, covered = 0, extra = 0;
  for (int y = 0; y < truth.Height(); ++y) {
    for (int x = 0; x < truth.Width(); ++x) {
      logo += truth.At(x, y);
      covered += truth.At(x, y) && rebuilt.At(x, y);
      extra += !truth.At(x, y) && rebuilt.At(x, y);
    }
  }
  return {covered / logo, extra / logo};
}

// Mean PSNR around the logo of the plug-in's output against the clean clip.
double RemovalPsnr(const LogoClip& clip, const LogoClipLayout& layout, const ChannelSettings& record) {
  PluginState state;
  VideoFormat format{layout.width, layout.height, 0, kFrameModeYuy2, 3};
  PluginSetFormat(state, &format);
  state.ChannelList.push_back(record);
  ChannelInfo channel{};
  channel.id = record.Id;
  FrameInfo info{};
  info.channel = &channel;
  std::vector<std::uint8_t> frame(clip.FrameBytes()), clean(clip.FrameBytes());
  const Rect& logo = layout.logo;
  const Rect area{logo.left - 2, logo.top - 2, logo.right + 2, logo.bottom + 2};
  double sum = 0;
  const int frames = 3;
  for (int t = 0; t < frames; ++t) {
    clip.WithLogo(t, frame.data());
    info.pixels = frame.data();
    EXPECT_EQ(ProcessFrame(state, &info), 1);
    clip.Clean(t, clean.data());
    sum += testing::Psnr(frame.data(), clean.data(), layout.width, layout.height, area);
  }
  return sum / frames;
}

struct LogoCase {
  const char* name;
  LogoClipLayout layout;
};

class LogoDetectCase : public ::testing::TestWithParam<LogoCase> {};

TEST_P(LogoDetectCase, MaskCoversTheLogoAndRemovesItLikeTheExactShape) {
  const LogoClipLayout& layout = GetParam().layout;
  const LogoClip clip(layout);
  const LogoSearch search = Detect(clip, layout, kFrames);
  ASSERT_EQ(search.outcome, LogoSearch::Outcome::Found);

  testing::TempFolder folder;
  const ChannelSettings detected = WriteMask(search.mask, (folder.Path() / "found.bmp").string());
  const ChannelSettings exact = WriteMask(clip.Logo(), (folder.Path() / "exact.bmp").string());

  // The picture as the plug-in loads it from the file and places it.
  LogoMask rebuilt;
  ASSERT_TRUE(LogoCoverage(layout.width, layout.height).OfRecord(detected, rebuilt));
  const Overlap overlap = Compare(clip.Logo(), rebuilt);
  EXPECT_GE(overlap.covered, 0.95);
  EXPECT_LE(overlap.extra, 0.20);

  const double withDetected = RemovalPsnr(clip, layout, detected);
  const double withExact = RemovalPsnr(clip, layout, exact);
  EXPECT_GE(withDetected, withExact - 1.0) << "exact shape " << withExact << " dB";
  std::printf("%s: covered %.1f%%, extra %.1f%%, PSNR %.2f dB (exact shape %.2f dB)\n",
              GetParam().name, 100 * overlap.covered, 100 * overlap.extra, withDetected, withExact);
}

INSTANTIATE_TEST_SUITE_P(
    Clips, LogoDetectCase,
    ::testing::Values(
        LogoCase{"SmallOpaqueTopLeft", {320, 240, {12, 10, 52, 26}, 100}},
        LogoCase{"LargeBlendedTopRight", {320, 240, {196, 12, 306, 58}, 55}},
        LogoCase{"LargeOpaqueBottomLeft", {320, 240, {10, 180, 120, 226}, 100}},
        LogoCase{"SmallBlendedBottomRight", {320, 240, {268, 212, 308, 228}, 55}},
        LogoCase{"BroadcastSizeBlendedTopRight", {720, 576, {560, 40, 680, 90}, 60}}),
    [](const ::testing::TestParamInfo<LogoCase>& info) { return std::string(info.param.name); });

TEST(LogoDetectRefusal, TellsWhyNoLogoIsFound) {
  const LogoClipLayout corner{320, 240, {12, 10, 52, 26}, 100};
  const LogoClip clip(corner);
  EXPECT_EQ(Detect(clip, corner, LogoDetector::kMinSamples - 1).outcome,
            LogoSearch::Outcome::TooFewFrames);
  EXPECT_EQ(Detect(clip, corner, kFrames, true).outcome, LogoSearch::Outcome::StillPicture);

  // Moving content only, and a still area in the middle of the picture
  // (a caption, not a logo): nothing to find.
  const LogoClipLayout nothing{320, 240, {0, 0, 0, 0}, 100};
  EXPECT_EQ(Detect(LogoClip(nothing), nothing, kFrames).outcome, LogoSearch::Outcome::NoStableArea);
  const LogoClipLayout middle{320, 240, {140, 110, 180, 126}, 100};
  EXPECT_EQ(Detect(LogoClip(middle), middle, kFrames).outcome, LogoSearch::Outcome::NoStableArea);
}

TEST(LogoDetectRefusal, TooFewFramesEvenForATinyFrame) {
  LogoStatistics statistics;
  statistics.Reset(1, 1);
  const std::uint8_t pixel = 7;
  statistics.Add(&pixel);
  EXPECT_EQ(LogoDetector().Find(statistics).outcome, LogoSearch::Outcome::TooFewFrames);
}

}  // namespace
}  // namespace kestrimo
