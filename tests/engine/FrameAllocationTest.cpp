// No heap allocation per video frame: once a channel's mask is built, its
// frames (removal or preview, YUY2 or BGR24, blurred) allocate nothing, and
// switching between channels already seen with masks of one size does not
// either. Every allocation of the program is counted.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "plugin/EntryPoints.h"
#include "engine/FrameDriver.h"
#include "tests/engine/AllocationCounter.h"
#include "tests/integration/TestFrame.h"
#include "tests/support/PictureFiles.h"

namespace kestrimo {
namespace {

using testing::AllocationsSoFar;
using testing::FrameFormat;
using testing::TestFrame;

constexpr std::int32_t kWidth = 720, kHeight = 576;
constexpr int kFrames = 2000;

class FrameAllocations : public ::testing::TestWithParam<FrameFormat> {
 protected:
  void SetUp() override {
    // Settings come from here, not from a file: PluginInit is not called.
    ChannelSettings first = TableDefaults();
    first.Id = 1;
    first.ProcEnable = 1;
    first.ScreenBlur = 3;
    first.EdgeBlur = 2;
    // Same mask size, other place, blur and key.
    ChannelSettings second = first;
    second.Id = 2;
    second.MaskPosX = 500;
    second.MaskPosY = 400;
    second.ScreenBlur = 7;
    second.ColorKey = 0x0000FF00;
    state.ChannelList = {first, second};
    const FrameFormat format = GetParam();
    VideoFormat video{kWidth, kHeight, 0, format == FrameFormat::Yuy2 ? 0 : 1, 3};
    PluginSetFormat(state, &video);
    picture.Paint({{80, 80, 130, 110}, {440, 360, 490, 390}});
    frame.pixels = picture.data();
    frame.channel = &channel;
  }
  void Send(ChannelId id) {
    channel.id = id;
    std::strcpy(channel.name, id == 1 ? "First" : "The second channel");
    ASSERT_EQ(ProcessFrame(state, &frame), 1);
  }
  // Allocations made by `frames` frames of the given channels in turn.
  std::int64_t Count(std::initializer_list<ChannelId> ids, int frames) {
    const std::int64_t before = AllocationsSoFar();
    for (int i = 0; i < frames; ++i)
      for (ChannelId id : ids) Send(id);
    return AllocationsSoFar() - before;
  }

  PluginState state;
  TestFrame picture{GetParam(), kWidth, kHeight};
  ChannelInfo channel{};
  FrameInfo frame{};
};

TEST_P(FrameAllocations, SteadyFramesAllocateNothing) {
  Count({1}, 1);
  EXPECT_EQ(Count({1}, kFrames), 0);
}

TEST_P(FrameAllocations, SwitchingBetweenSeenChannelsAllocatesNothing) {
  EXPECT_GT(Count({1, 2}, 1), 0) << "the first round builds the masks: the count sees them";
  EXPECT_EQ(Count({1, 2}, kFrames / 10), 0);
}

TEST_P(FrameAllocations, MaskPreviewAllocatesNothing) {
  int window = 0;
  state.SettingsWindow.Attach(&window);
  state.ChannelList[0].ShowMask = 1;
  state.ChannelList[0].Opacity = 60;
  Count({1}, 1);
  EXPECT_EQ(Count({1}, kFrames / 4), 0);
  state.SettingsWindow.Detach();
}

TEST_P(FrameAllocations, SteadyFramesOfAPictureMaskAllocateNothing) {
  testing::PictureFolder folder;
  testing::Picture logo(40, 24);
  for (int y = 0; y < logo.height; ++y)
    for (int x = 0; x < logo.width; ++x)
      logo.At(x, y) = (x - 20) * (x - 20) / 4 + (y - 12) * (y - 12) < 100
                          ? testing::Rgba{0, 128, 255, 255}   // the default key colour
                          : testing::Rgba{255, 255, 255, 255};
  state.ChannelList[0].MaskFileName = folder.Write("logo.bmp", testing::EncodeBmp(logo, 24));
  // Its logo model, half opaque: the frames also have the logo subtracted,
  // after being weighed for it.
  for (testing::Rgba& pixel : logo.pixels) pixel.a = 128;
  state.ChannelList[0].LogoModelFile = folder.Write("model.bmp", testing::EncodeBmp(logo, 32));
  state.ChannelList[0].LogoPresenceCheck = 1;
  // And the camera followed around it, for the history of what it hides.
  state.ChannelList[0].LogoSeeThrough = 1;
  Count({1}, 1);
  ASSERT_EQ(state.Mask.MaskLoaded, 1);
  ASSERT_TRUE(state.Mask.History.Ready(state.Geometry));
  ASSERT_TRUE(state.Mask.Removal.Active());
  ASSERT_TRUE(state.Mask.Presence.Ready(state.Geometry));
  EXPECT_EQ(Count({1}, kFrames / 4), 0);
}

// Frames handed to a running logo search allocate nothing either (its
// buffers are made when the search starts).
TEST_P(FrameAllocations, FramesOfALogoSearchAllocateNothing) {
  testing::PictureFolder folder;
  SettingsLocation location;
  location.folder = folder.PathOf("");  // ends with the separator
  location.moduleName = "KRD_Kestrimo";
  state.Profile.SetLocation(location);
  Count({1}, 1);
  ASSERT_EQ(state.Finding.Start(state), LogoFinding::Reason::None);
  Count({1}, 1);
  EXPECT_EQ(Count({1}, 60), 0);
  EXPECT_EQ(state.Finding.Poll().phase, LogoFinding::Phase::Collecting);
  state.Finding.Stop();
}

INSTANTIATE_TEST_SUITE_P(Formats, FrameAllocations,
                         ::testing::Values(FrameFormat::Yuy2, FrameFormat::Bgr24),
                         [](const auto& info) {
                           return std::string(info.param == FrameFormat::Yuy2 ? "Yuy2" : "Bgr24");
                         });

}  // namespace
}  // namespace kestrimo
