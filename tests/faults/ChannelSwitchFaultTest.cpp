// Every heap allocation of a switch to a new channel failing in turn (the
// name's copy, the new record, the mask rebuild). A switch cut short by the
// shortage must not count as done: the channel's next frame switches again
// and comes out as it does without faults. A shortage the rebuild absorbs
// leaves its frames either processed or untouched.
#include <gtest/gtest.h>

#include <cstring>
#include <iostream>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "engine/FrameDriver.h"
#include "plugin/EntryPoints.h"
#include "tests/engine/AllocationCounter.h"
#include "tests/faults/FaultSweep.h"
#include "tests/integration/TestFrame.h"

namespace kestrimo {
namespace {

using testing::FrameFormat;
using testing::TestFrame;
using Bytes = std::vector<std::uint8_t>;

constexpr std::int32_t kWidth = 352, kHeight = 288;
constexpr ChannelId kOld = 1, kNew = 2;

const testing::FaultHook kNewHook{[](int n) { testing::FailNthOperatorNew(n); },
                                  [] { return testing::OperatorNewFailed(); }};

class ChannelSwitchFaults : public ::testing::Test {
 protected:
  void SetUp() override { input.Paint({{60, 60, 110, 90}, {250, 180, 300, 210}}); }

  // Channel kOld has its record and mask; kNew, not seen yet, gets the
  // defaults: a larger mask elsewhere, with blurred edges.
  std::unique_ptr<PluginState> Start() const {
    auto state = std::make_unique<PluginState>();
    ChannelSettings old = TableDefaults();
    old.Id = kOld;
    old.ProcEnable = 1;
    old.MaskPosX = 90;
    old.MaskPosY = 80;
    state->ChannelList = {old};
    state->DefaultSettings = TableDefaults();
    state->DefaultSettings.ProcEnable = 1;
    state->DefaultSettings.MaskPosX = 600;
    state->DefaultSettings.MaskPosY = 400;
    state->DefaultSettings.RectMaskSizeX = 160;
    state->DefaultSettings.EdgeBlur = 2;
    state->DefaultSettings.ScreenBlur = 4;
    const VideoFormat video{kWidth, kHeight, 0, input.FrameMode(), 3};
    PluginSetFormat(*state, &video);
    Bytes frame = input.Bytes();
    Send(*state, frame, kOld);
    return state;
  }

  // Returns false when the frame ended in an exception (the host's entry
  // point swallows it and hands the frame back).
  static bool Send(PluginState& state, Bytes& pixels, ChannelId id) {
    ChannelInfo channel{};
    channel.id = id;
    std::strcpy(channel.name, id == kOld ? "Old" : "A channel with a long name");
    FrameInfo info{};
    info.pixels = pixels.data();
    info.channel = &channel;
    try {
      ProcessFrame(state, &info);
      return true;
    } catch (const std::bad_alloc&) {
      return false;
    }
  }

  TestFrame input{FrameFormat::Yuy2, kWidth, kHeight};
};

TEST_F(ChannelSwitchFaults, EveryAllocationOfASwitchFailingInTurn) {
  Bytes normal = input.Bytes();
  Send(*Start(), normal, kNew);
  ASSERT_NE(normal, input.Bytes()) << "the new channel's frame must change";

  struct Prepared {
    std::unique_ptr<PluginState> state;
    Bytes first;  // made here: the sweep counts only the frame's allocations
    Bytes next;
  };
  struct Run {
    bool completed;
    Bytes first;
    Bytes next;
  };
  int thrown = 0;
  int n = 0;
  const int injected = testing::SweepFaults(
      kNewHook, [&] { return Prepared{Start(), input.Bytes(), input.Bytes()}; },
      [&](Prepared& p) {
        const bool completed = Send(*p.state, p.first, kNew);
        testing::FailNthOperatorNew(0);
        Send(*p.state, p.next, kNew);
        return Run{completed, std::move(p.first), std::move(p.next)};
      },
      [&](const Run& run, bool faulted) {
        SCOPED_TRACE("allocation " + std::to_string(++n) + " failing");
        if (!faulted) {
          EXPECT_TRUE(run.completed);
          EXPECT_TRUE(run.first == normal) << "no fault reached: the normal frame";
          return;
        }
        if (!run.completed) {
          ++thrown;
          EXPECT_TRUE(run.first == input.Bytes()) << "a failed switch leaves its frame untouched";
          EXPECT_TRUE(run.next == normal) << "the next frame switches again";
          return;
        }
        EXPECT_TRUE(run.first == normal || run.first == input.Bytes());
        EXPECT_TRUE(run.next == normal || run.next == input.Bytes());
      });
  EXPECT_GT(thrown, 0) << "the name's copy or the new record met the shortage";
  EXPECT_LT(injected, 10000) << "the sweep ends";
  std::cout << "[ faults   ] channel switch: " << injected << " allocation failures injected, "
            << thrown << " of them ended the switch\n";
}

}  // namespace
}  // namespace kestrimo
