// A long run of small frames with a channel switch every thousand frames:
// the heap must stay flat, and each channel's frames must look the same at
// the end as at the start.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <vector>

#include "plugin/EntryPoints.h"
#include "engine/FrameDriver.h"
#include "engine/PluginState.h"
#include "tests/reliability/ProcessMemory.h"
#include "tests/reliability/ReliabilityOptions.h"
#include "tests/reliability/StressFixtures.h"
#include "tests/reliability/WindowStandIn.h"

namespace kestrimo::testing {
namespace {

constexpr std::int32_t kWidth = 160, kHeight = 120;
constexpr std::int64_t kFramesPerChannel = 1000;

// Four channels whose masks differ in size and kind, so every switch
// resizes the buffers: a small rectangle, the picture, a large blurred
// rectangle hanging over the corner, and one with processing off.
std::vector<ChannelSettings> SoakChannels(const std::string& picture) {
  std::vector<ChannelSettings> channels(4, WindowStandIn::FirstState());
  channels[0].RectMaskSizeX = 40;
  channels[0].RectMaskSizeY = 30;
  channels[1].MaskFileName = picture;
  channels[1].ColorKey = WindowStandIn::KeyColour();
  channels[2].MaskPosX = 600;
  channels[2].MaskPosY = 480;
  channels[2].RectMaskSizeX = 240;
  channels[2].RectMaskSizeY = 160;
  channels[2].ScreenBlur = 3;
  channels[2].EdgeBlur = 3;
  channels[3].ProcEnable = 0;
  for (std::size_t i = 0; i < channels.size(); ++i) channels[i].Id = static_cast<ChannelId>(21 + i);
  return channels;
}

TEST(Soak, MemoryStaysFlatAndOutputSteadyOverManyFramesAndSwitches) {
  PictureFolder folder;
  const std::string picture = WriteMaskPicture(folder, WindowStandIn::KeyColour());
  const std::vector<std::uint8_t> input = InputFrame(FrameFormat::Yuy2, kWidth, kHeight);
  PluginState state;
  VideoFormat format{kWidth, kHeight, 0, 0, 3};
  PluginSetFormat(state, &format);
  state.ChannelList = SoakChannels(picture);
  const std::size_t channelCount = state.ChannelList.size();

  std::vector<std::uint8_t> pixels(input.size());
  ChannelInfo channel{};
  FrameInfo frame{};
  frame.pixels = pixels.data();
  frame.channel = &channel;
  std::vector<std::uint64_t> firstHash(channelCount, 0);
  const std::int64_t total = Options().soakFrames;
  const std::int64_t warmUp = std::min<std::int64_t>(total, kFramesPerChannel * channelCount);
  MemoryFigures start;
  std::int64_t changedHashes = 0;

  for (std::int64_t n = 0; n < total; ++n) {
    if (n == warmUp) start = MeasureMemory();
    const std::size_t which = static_cast<std::size_t>(n / kFramesPerChannel) % channelCount;
    channel.id = state.ChannelList[which].Id;
    const bool switchFrame = n % kFramesPerChannel == 0;
    // The first frame after a switch starts from the clean input and is
    // checked; the others are processed in place.
    if (switchFrame) std::memcpy(pixels.data(), input.data(), input.size());
    ASSERT_EQ(ProcessFrame(state, &frame), 1);
    if (!switchFrame) continue;
    const std::uint64_t hash = Fnv1a64(pixels);
    if (firstHash[which] == 0) firstHash[which] = hash;
    else if (hash != firstHash[which]) ++changedHashes;
  }
  if (warmUp == total) start = MeasureMemory();
  const MemoryFigures end = MeasureMemory();

  std::printf("[ figures  ] %lld frames, %lld switches; heap %lld -> %lld bytes (%+lld), "
              "resident %lld -> %lld KiB\n",
              static_cast<long long>(total), static_cast<long long>(total / kFramesPerChannel),
              static_cast<long long>(start.heapBytes), static_cast<long long>(end.heapBytes),
              static_cast<long long>(end.heapBytes - start.heapBytes),
              static_cast<long long>(start.residentBytes >> 10),
              static_cast<long long>(end.residentBytes >> 10));
  EXPECT_LE(end.heapBytes - start.heapBytes, HeapGrowthTolerance());
  EXPECT_EQ(changedHashes, 0) << "a channel's frame came out differently after later switches";
  EXPECT_EQ(state.ChannelList.size(), channelCount);
}

}  // namespace
}  // namespace kestrimo::testing
