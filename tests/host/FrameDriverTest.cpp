// The frame entry point as the host drives it: refusals, channel tracking and
// the refresh message, frames left as they were.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "host/EntryPoints.h"
#include "host/FrameDriver.h"

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

TEST_F(FrameDriver, EnabledChannelFramesAlsoPassUntouchedForNow) {
  state.DefaultSettings.ProcEnable = 1;
  Format();
  EXPECT_EQ(Send(8), 1);
  EXPECT_EQ(pixels, original);
}

}  // namespace
}  // namespace kestrimo
