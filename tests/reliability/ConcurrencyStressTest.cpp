// The frame thread against the settings window's thread, both at full speed:
// every frame must come out exactly as the old or the new settings make it,
// never a mix of the two, whatever the window is doing and whichever channel
// the frames belong to.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <set>
#include <thread>
#include <vector>

#include "plugin/EntryPoints.h"
#include "engine/FrameDriver.h"
#include "engine/PluginState.h"
#include "tests/reliability/ReliabilityOptions.h"
#include "tests/reliability/StressFixtures.h"
#include "tests/reliability/WindowStandIn.h"

namespace kestrimo::testing {
namespace {

// The stream changes size now and then, as when the host tunes to a channel
// broadcast in another format; the format call comes on the frame thread.
struct FrameSize {
  std::int32_t width, height;
};
constexpr FrameSize kSizes[] = {{192, 144}, {160, 120}};
constexpr int kFramesPerFormat = 100;
constexpr ChannelId kChannels[] = {11, 12, 13};
constexpr int kFramesPerChannel = 7;
constexpr int kSwitchesPerNewChannel = 50;  // then a channel not seen before
constexpr int kEditsPerWindowOpening = 40;

struct FrameTally {
  std::int64_t frames = 0;
  std::int64_t mismatches = 0;
  std::uint64_t firstMismatch = 0;
  std::set<std::uint64_t> seen;
};

struct WindowTally {
  std::int64_t edits = 0;
  std::int64_t strayRecords = 0;  // a record in none of the cycle's states
  std::int64_t cancels = 0;
};

class ConcurrencyStress : public ::testing::TestWithParam<FrameFormat> {
 protected:
  void SetUp() override {
    mode = GetParam() == FrameFormat::Yuy2 ? 0 : 1;
    picture = WriteMaskPicture(folder, WindowStandIn::KeyColour());
    states = WindowStandIn::States(picture, kSizes[0].width, kSizes[0].height, mode);
    ASSERT_FALSE(states.empty()) << "the window's edits do not come back to the first state";
    for (const FrameSize& size : kSizes) {
      inputs.push_back(InputFrame(GetParam(), size.width, size.height));
      for (const ChannelSettings& s : states)
        for (bool windowOpen : {false, true})
          if (!windowOpen || s.ShowMask != 0)
            expected.push_back(
                FreshOutputHash(s, windowOpen, inputs.back(), size.width, size.height, mode));
    }
    std::sort(expected.begin(), expected.end());
    expected.erase(std::unique(expected.begin(), expected.end()), expected.end());
  }

  // Frames at full speed, a channel switch every few frames, until stopped.
  FrameTally RunFrames(PluginState& state, const std::atomic<bool>& stop) {
    FrameTally tally;
    std::vector<std::uint8_t> pixels;
    ChannelInfo channel{};
    FrameInfo frame{};
    frame.channel = &channel;
    ChannelId fresh = 1000;
    for (std::int64_t n = 0; !stop.load(std::memory_order_relaxed); ++n) {
      const std::size_t sizeNo = static_cast<std::size_t>(n / kFramesPerFormat) % 2;
      const std::vector<std::uint8_t>& input = inputs[sizeNo];
      if (n % kFramesPerFormat == 0) {
        VideoFormat format{kSizes[sizeNo].width, kSizes[sizeNo].height, 0, mode, 3};
        PluginSetFormat(state, &format);
        pixels.resize(input.size());
        frame.pixels = pixels.data();
      }
      const std::int64_t switchNo = n / kFramesPerChannel;
      channel.id = switchNo % kSwitchesPerNewChannel == kSwitchesPerNewChannel - 1
                       ? fresh + switchNo / kSwitchesPerNewChannel
                       : kChannels[switchNo % 3];
      std::memcpy(pixels.data(), input.data(), input.size());
      ProcessFrame(state, &frame);
      const std::uint64_t hash = Fnv1a64(pixels);
      ++tally.frames;
      tally.seen.insert(hash);
      if (!std::binary_search(expected.begin(), expected.end(), hash) && tally.mismatches++ == 0)
        tally.firstMismatch = hash;
    }
    return tally;
  }

  // The window's work in a fixed rotation until the deadline.
  WindowTally RunWindow(PluginState& state, std::chrono::steady_clock::time_point deadline) {
    WindowTally tally;
    WindowStandIn window(state, picture);
    window.Open();
    for (std::int64_t op = 0; std::chrono::steady_clock::now() < deadline; ++op) {
      if (!window.EditCurrent(states)) ++tally.strayRecords;
      ++tally.edits;
      if (op % 5 == 0) window.ReadForRefresh();
      if (op % 7 == 0) window.PaintPreview();
      if (op % 11 == 0) window.AskToShow();
      if (op % kEditsPerWindowOpening == kEditsPerWindowOpening - 1) {
        window.Cancel();
        ++tally.cancels;
        std::this_thread::yield();
        window.Open();
      }
      std::this_thread::yield();
    }
    window.Cancel();
    return tally;
  }

  PictureFolder folder;
  std::string picture;
  std::int32_t mode = 0;
  std::vector<std::vector<std::uint8_t>> inputs;  // one per size
  std::vector<ChannelSettings> states;
  std::vector<std::uint64_t> expected;  // sorted
};

TEST_P(ConcurrencyStress, EveryFrameShowsOldOrNewSettingsNeverAMix) {
  PluginState state;
  VideoFormat format{kSizes[0].width, kSizes[0].height, 0, mode, 3};
  PluginSetFormat(state, &format);
  state.DefaultSettings = states.front();
  // The first channel's record exists before the window opens.
  {
    std::vector<std::uint8_t> pixels = inputs[0];
    ChannelInfo channel{};
    channel.id = kChannels[0];
    FrameInfo frame{};
    frame.pixels = pixels.data();
    frame.channel = &channel;
    ASSERT_EQ(ProcessFrame(state, &frame), 1);
  }

  const auto seconds = std::chrono::duration<double>(Options().stressSeconds);
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration_cast<std::chrono::steady_clock::duration>(seconds);
  std::atomic<bool> stop{false};
  FrameTally frames;
  std::thread frameThread([&] { frames = RunFrames(state, stop); });
  const WindowTally window = RunWindow(state, deadline);
  stop = true;
  frameThread.join();

  std::printf("[ figures  ] %s: %lld frames compared, %lld window edits, %lld cancels, "
              "%zu of %zu expected outputs seen, %zu records\n",
              mode == 0 ? "YUY2" : "BGR24", static_cast<long long>(frames.frames),
              static_cast<long long>(window.edits), static_cast<long long>(window.cancels),
              frames.seen.size(), expected.size(), state.ChannelList.size());
  EXPECT_EQ(frames.mismatches, 0) << "first unexpected output hash 0x" << std::hex
                                  << frames.firstMismatch;
  EXPECT_EQ(window.strayRecords, 0) << "a record left the window's cycle of states";
  EXPECT_GT(frames.frames, 0);
  EXPECT_GT(window.edits, 0);
  // The run saw the settings change under the frames, or it proved nothing.
  EXPECT_GT(frames.seen.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(BothModes, ConcurrencyStress,
                         ::testing::Values(FrameFormat::Yuy2, FrameFormat::Bgr24),
                         [](const auto& info) {
                           return info.param == FrameFormat::Yuy2 ? "Yuy2" : "Bgr24";
                         });

}  // namespace
}  // namespace kestrimo::testing
