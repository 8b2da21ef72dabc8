// The frame entry point as the host drives it: refusals, channel tracking and
// the refresh message, frames left as they were.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plugin/EntryPoints.h"
#include "engine/FrameDriver.h"
#include "imaging/CpuFeatures.h"
#include "base/FrameGeometry.h"

namespace kestrimo {
namespace {

class FrameDriver : public ::testing::Test {
 protected:
  void SetUp() override {
    PluginInit(state, nullptr);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 7);
    original = pixels;
    frame.pixels = pixels.data();
    frame.channel = &channel;
  }
  void Format(std::int32_t cpuLevel = 3) {
    VideoFormat format{8, 4, 0, 0, cpuLevel};
    PluginSetFormat(state, &format);
  }
  std::int32_t Send(ChannelId id, const char* name = "") {
    channel.id = id;
    std::strncpy(channel.name, name, sizeof channel.name);
    return ProcessFrame(state, &frame);
  }
  PluginState state;
  std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(8 * 4 * 2);
  std::vector<std::uint8_t> original;
  ChannelInfo channel{};
  FrameInfo frame{};
};

TEST_F(FrameDriver, NoFrameReturnsZeroWithoutTrackingTheChannel) {
  Format();
  Send(5);
  frame.pixels = nullptr;
  EXPECT_EQ(Send(6), 0);
  EXPECT_EQ(state.LastChannelId, 5);
  EXPECT_EQ(ProcessFrame(state, nullptr), 0);
  EXPECT_EQ(state.LastChannelId, 5);
}

TEST_F(FrameDriver, NoSseRefusesTheFrameUntouched) {
  for (std::int32_t level : {1, 2}) {
    Format(level);
    EXPECT_EQ(Send(9), 0) << "CpuLevel " << level;
    EXPECT_EQ(pixels, original);
    EXPECT_EQ(state.LastChannelId, 0);
    EXPECT_TRUE(state.ChannelList.empty());
  }
  Format(0);
  EXPECT_EQ(Send(9), 1) << "0 and 3 and above mean SSE is there";
}

TEST_F(FrameDriver, FramesBeforeTheFormatWithNoRecordsPassUntouched) {
  EXPECT_EQ(Send(3), 1);
  EXPECT_EQ(pixels, original);
  EXPECT_TRUE(state.ChannelList.empty());
  EXPECT_EQ(state.CurrentIndex, 0);
}

TEST_F(FrameDriver, TracksTheChannelAndItsName) {
  Format();
  EXPECT_EQ(Send(77, "\xCF\xE5\xF0\xE2\xFB\xE9"), 1);  // "Первый" in code page 1251
  EXPECT_EQ(state.LastChannelId, 77);
  EXPECT_EQ(state.ChannelName, "\xCF\xE5\xF0\xE2\xFB\xE9");
  ASSERT_EQ(state.ChannelList.size(), 1u);
  EXPECT_EQ(state.ChannelList[0].Id, 77);
  EXPECT_EQ(pixels, original);
}

TEST_F(FrameDriver, UnterminatedNameIsReadOnlyUpToTheRecordsEnd) {
  Format();
  std::memset(channel.name, 'x', sizeof channel.name);
  channel.id = 12;
  ProcessFrame(state, &frame);
  EXPECT_EQ(state.ChannelName.size(), sizeof channel.name - 1);
}

TEST_F(FrameDriver, RefreshIsPostedOncePerChannelChangeWhileTheWindowIsOpen) {
  Format();
  Send(1);
  int window = 0;
  state.SettingsWindow.Attach(&window);
  Send(1);
  EXPECT_EQ(state.SettingsWindow.RefreshesPosted(), 0) << "same channel: no change";
  Send(2);
  Send(2);
  Send(1);
  EXPECT_EQ(state.SettingsWindow.RefreshesPosted(), 2);
}

TEST_F(FrameDriver, AFormatChangeMakesTheNextFrameAChannelChange) {
  Format();
  Send(4, "old");
  Format();
  Send(4, "new");
  EXPECT_EQ(state.ChannelName, "new") << "same channel, but after a format call";
  Format();
  Send(0, "zero");
  EXPECT_EQ(state.ChannelName, "new") << "channel 0 equals the reset id";
  EXPECT_EQ(state.ChannelList.size(), 1u);
}

TEST(ScreenBlurWidths, ScaleTheReferenceWidthToTheFrame) {
  EXPECT_EQ(ScreenBlurWidths(720, 576, 0).horizontal, 0.0f);
  const BlurWidths one = ScreenBlurWidths(720, 576, 1);
  EXPECT_EQ(one.horizontal, 0.9375f);
  EXPECT_EQ(one.vertical, 1.0f);
  const BlurWidths ten = ScreenBlurWidths(720, 576, 10);
  EXPECT_EQ(ten.horizontal, 9.375f);
  EXPECT_EQ(ten.vertical, 10.0f);
  EXPECT_EQ(ScreenBlurWidths(768, 576, 7).horizontal, 7.0f);
  EXPECT_GT(ScreenBlurWidths(720, 576, 0xFFFFFFFFu).horizontal, 4.0e9f) << "taken as unsigned";
}

// A 720 x 576 YUY2 frame: flat grey with a bright block where the default
// mask lies, so the rebuilt area can be told from the logo.
class LogoRemoval : public ::testing::Test {
 protected:
  static constexpr std::int32_t kWidth = 720, kHeight = 576;
  void SetUp() override {
    PluginInit(state, nullptr);
    state.DefaultSettings = TableDefaults();
    state.DefaultSettings.ProcEnable = 1;
    VideoFormat format{kWidth, kHeight, 0, kFrameModeYuy2, 3};
    PluginSetFormat(state, &format);
    for (std::int32_t y = 0; y < kHeight; ++y)
      for (std::int32_t x = 0; x < kWidth; ++x) {
        const bool logo = x >= 80 && x < 130 && y >= 80 && y < 110;
        pixels[Offset(x, y)] = logo ? 235 : 100;          // Y
        pixels[Offset(x, y) + 1] = logo ? 90 : 128;       // U or V
      }
    original = pixels;
    frame.pixels = pixels.data();
    frame.channel = &channel;
    channel.id = 42;
  }
  static std::size_t Offset(std::int32_t x, std::int32_t y) {
    return static_cast<std::size_t>(y) * kWidth * 2 + static_cast<std::size_t>(x) * 2;
  }
  PluginState state;
  std::vector<std::uint8_t> pixels = std::vector<std::uint8_t>(kWidth * kHeight * 2);
  std::vector<std::uint8_t> original;
  ChannelInfo channel{};
  FrameInfo frame{};
};

TEST_F(LogoRemoval, RebuildsTheMaskedAreaAndNothingElse) {
  ASSERT_EQ(ProcessFrame(state, &frame), 1);
  const Point origin = state.Mask.MaskOrigin;  // (56, 60), 94 x 70
  for (std::int32_t y = 0; y < kHeight; ++y)
    for (std::int32_t x = 0; x < kWidth; ++x) {
      const bool inside = x >= origin.x && x < origin.x + 94 && y >= origin.y && y < origin.y + 70;
      if (!inside) {
        ASSERT_EQ(pixels[Offset(x, y)], original[Offset(x, y)]) << x << "," << y;
      }
    }
  // The logo lies inside the mask, away from its border: it becomes background.
  EXPECT_EQ(pixels[Offset(100, 95)], 100);
  EXPECT_EQ(pixels[Offset(101, 95) + 1], 128);
}

TEST_F(LogoRemoval, ShowMaskWithTheWindowClosedStillRemoves) {
  state.DefaultSettings.ShowMask = 1;
  ProcessFrame(state, &frame);
  EXPECT_EQ(pixels[Offset(100, 95)], 100);
}

TEST_F(LogoRemoval, PreviewAtZeroOpacityLeavesTheFrameAsItWas) {
  int window = 0;
  state.SettingsWindow.Attach(&window);
  state.DefaultSettings.Opacity = 0;
  ProcessFrame(state, &frame);
  EXPECT_EQ(pixels, original);
}

TEST_F(LogoRemoval, PreviewPaintsTheMaskOverTheVideo) {
  int window = 0;
  state.SettingsWindow.Attach(&window);
  state.DefaultSettings.Opacity = 100;
  ProcessFrame(state, &frame);
  EXPECT_NE(pixels[Offset(100, 95)], original[Offset(100, 95)]);
  EXPECT_EQ(pixels[Offset(10, 10)], original[Offset(10, 10)]);
}

TEST_F(LogoRemoval, DisabledChannelPassesUntouchedButIsTracked) {
  state.DefaultSettings.ProcEnable = 0;
  EXPECT_EQ(ProcessFrame(state, &frame), 1);
  EXPECT_EQ(pixels, original);
  EXPECT_EQ(state.LastChannelId, 42);
}

TEST_F(LogoRemoval, SameOutputForBothKernelChoicesAndRepeatedFrames) {
  state.DefaultSettings.ScreenBlur = 3;
  ProcessFrame(state, &frame);
  const std::vector<std::uint8_t> first = pixels;
  pixels = original;
  ProcessFrame(state, &frame);
  EXPECT_EQ(pixels, first) << "a steady channel gives the same result every frame";
  pixels = original;
  SetKernelChoice(KernelChoice::ScalarOnly);
  ProcessFrame(state, &frame);
  SetKernelChoice(KernelChoice::Best);
  EXPECT_EQ(pixels, first) << "scalar references and SIMD twins agree on a whole frame";
}

// An odd-width YUY2 frame has a last column outside any whole 4:2:2 group,
// which the area is never read from nor written to: a flat frame must come
// back unchanged with the area across the right edge or ending on it.
TEST(OddWidthYuy2, FlatFrameComesBackUnchanged) {
  struct Case {
    std::int32_t width;
    std::int32_t maskPosX;  // 768: the area across the edge; 718: ending on it
  };
  for (const Case c : {Case{721, 768}, Case{721, 718}, Case{723, 768}, Case{723, 718}}) {
    SCOPED_TRACE("width " + std::to_string(c.width) + ", MaskPosX " + std::to_string(c.maskPosX));
    PluginState state;
    state.DefaultSettings = TableDefaults();
    state.DefaultSettings.ProcEnable = 1;
    state.DefaultSettings.MaskPosX = c.maskPosX;
    const VideoFormat format{c.width, 576, 0, kFrameModeYuy2, 3};
    PluginSetFormat(state, &format);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(c.width) * 576 * 2);
    for (std::size_t i = 0; i < pixels.size(); i += 2) {
      pixels[i] = 100;      // Y
      pixels[i + 1] = 128;  // U or V
    }
    const std::vector<std::uint8_t> original = pixels;
    ChannelInfo channel{};
    channel.id = 1;
    FrameInfo frame{};
    frame.pixels = pixels.data();
    frame.channel = &channel;
    ASSERT_EQ(ProcessFrame(state, &frame), 1);
    EXPECT_GE(state.Mask.MaskOrigin.x + state.Mask.FrameMask.rect.Width(), c.width)
        << "the area reaches the right edge";
    std::size_t changed = 0;
    for (std::size_t i = 0; i < pixels.size(); ++i) changed += pixels[i] != original[i] ? 1 : 0;
    EXPECT_EQ(changed, 0u);
  }
}

// The preview at Opacity 60 over a flat frame, in both frame modes: the key
// colour (R 0, G 128, B 255) blended at p = 153/256 over grey 100 inside the
// rectangle, the pixels just beside the area as they were.
TEST(MaskPreview, BlendsTheKeyColourAtTheOpacityInBothModes) {
  struct Case {
    std::int32_t mode;
    std::int32_t bytesPerPixel;
    std::vector<std::uint8_t> inside;  // YUY2: Y0 U Y1 V of a group; BGR: B G R
  };
  for (const Case& c : {Case{kFrameModeYuy2, 2, {102, 178, 102, 83}}, Case{kFrameModeBgr, 3, {192, 116, 40}}}) {
    constexpr std::int32_t kWidth = 720, kHeight = 576;
    PluginState state;
    state.DefaultSettings = TableDefaults();
    state.DefaultSettings.ProcEnable = 1;
    state.DefaultSettings.ShowMask = 1;
    state.DefaultSettings.Opacity = 60;
    VideoFormat format{kWidth, kHeight, 0, c.mode, 3};
    PluginSetFormat(state, &format);
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(kWidth) * kHeight * c.bytesPerPixel, 100);
    if (c.mode == kFrameModeYuy2) {
      for (std::size_t i = 1; i < pixels.size(); i += 2) pixels[i] = 128;
    }
    const std::vector<std::uint8_t> original = pixels;
    int window = 0;
    state.SettingsWindow.Attach(&window);
    ChannelInfo channel{};
    channel.id = 1;
    FrameInfo frame{pixels.data(), {}, &channel};
    ASSERT_EQ(ProcessFrame(state, &frame), 1);
    state.SettingsWindow.Detach();
    const Point origin = state.Mask.MaskOrigin;
    const Rect area = state.Mask.VisibleRect;
    // A pixel (group) in the middle of the area; frame rows of BGR24 go bottom-up.
    const std::int32_t x = (origin.x + area.right / 2) & ~1, y = origin.y + area.bottom / 2;
    const std::int32_t row = c.mode == kFrameModeBgr ? kHeight - 1 - y : y;
    const std::size_t at = (static_cast<std::size_t>(row) * kWidth + x) * c.bytesPerPixel;
    EXPECT_EQ(std::vector<std::uint8_t>(pixels.begin() + at, pixels.begin() + at + c.inside.size()), c.inside)
        << "mode " << c.mode;
    for (const std::int32_t beside : {origin.x - 1, origin.x + area.right}) {
      const std::size_t edge = (static_cast<std::size_t>(row) * kWidth + beside) * c.bytesPerPixel;
      EXPECT_EQ(pixels[edge], original[edge]) << "mode " << c.mode << " x " << beside;
    }
  }
}

}  // namespace
}  // namespace kestrimo
