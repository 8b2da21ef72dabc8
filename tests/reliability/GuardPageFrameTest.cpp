// Frames that end right before, or start right after, an inaccessible page:
// with the logo area inside the frame, over each edge and corner, or wholly
// outside it, in both frame formats and at odd widths, a frame's processing
// must touch nothing beyond the frame (a stray access faults), and must change
// exactly the side of the frame the area covers.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "plugin/EntryPoints.h"
#include "engine/FrameDriver.h"
#include "engine/PluginState.h"
#include "tests/reliability/GuardPageBlock.h"
#include "tests/support/KernelTesting.h"

namespace kestrimo::testing {
namespace {

// Where the area's centre lies, in reference units (768 x 576); the area is
// 120 x 90 before the edge blur grows it.
struct Placement {
  const char* name;
  std::int32_t x, y;
  bool left, right, top, bottom;  // the frame edges the area reaches
  bool outside;
};
constexpr Placement kPlacements[] = {
    {"inside", 384, 288, false, false, false, false, false},
    {"left", 0, 288, true, false, false, false, false},
    {"right", 768, 288, false, true, false, false, false},
    {"top", 384, 0, false, false, true, false, false},
    {"bottom", 384, 576, false, false, false, true, false},
    {"top-left", 0, 0, true, false, true, false, false},
    {"top-right", 768, 0, false, true, true, false, false},
    {"bottom-left", 0, 576, true, false, false, true, false},
    {"bottom-right", 768, 576, false, true, false, true, false},
    {"outside-below-right", 1000, 800, false, false, false, false, true},
    {"outside-above-left", -300, -250, false, false, false, false, true},
};

struct FrameSize {
  std::int32_t width, height;
};
constexpr FrameSize kSizes[] = {{161, 121}, {97, 67}, {45, 35}, {719, 575}};

// The visual rows and columns whose bytes changed.
struct Changed {
  bool any = false;
  std::int32_t left = 0, right = 0, top = 0, bottom = 0;  // inclusive
};

Changed ChangedArea(const std::uint8_t* before, const std::uint8_t* after, std::int32_t width,
                    std::int32_t height, std::int32_t mode) {
  const int bpp = mode == 0 ? 2 : 3;
  Changed c;
  for (std::int32_t row = 0; row < height; ++row)
    for (std::int32_t x = 0; x < width; ++x) {
      const std::size_t at = (static_cast<std::size_t>(row) * width + x) * bpp;
      if (std::memcmp(before + at, after + at, bpp) == 0) continue;
      const std::int32_t y = mode == 0 ? row : height - 1 - row;  // BGR rows run bottom-up
      if (!c.any) c = {true, x, x, y, y};
      c.left = std::min(c.left, x);
      c.right = std::max(c.right, x);
      c.top = std::min(c.top, y);
      c.bottom = std::max(c.bottom, y);
    }
  return c;
}

std::string CaseName(const FrameSize& size, std::int32_t mode, const Placement& p, bool showMask,
                     GuardPlacement guard) {
  char text[160];
  std::snprintf(text, sizeof text, "%dx%d %s area %s, %s, frame %s", size.width, size.height,
                mode == 0 ? "YUY2" : "BGR24", p.name, showMask ? "mask shown" : "logo removed",
                guard == GuardPlacement::AgainstEnd ? "ending at a guard page"
                                                    : "starting after a guard page");
  return text;
}

int windowToken = 0;  // stands for an open window's handle

TEST(GuardPageFrames, ProcessingStaysInsideTheFrameForEveryPlacementOfTheArea) {
  int cases = 0;
  TestRng rng;
  for (const FrameSize& size : kSizes)
    for (std::int32_t mode : {0, 1})
      for (const Placement& p : kPlacements)
        for (bool showMask : {false, true})
          for (GuardPlacement guard : {GuardPlacement::AgainstEnd, GuardPlacement::AfterStart}) {
            SCOPED_TRACE(CaseName(size, mode, p, showMask, guard));
            const std::size_t bytes =
                static_cast<std::size_t>(size.width) * size.height * (mode == 0 ? 2 : 3);
            GuardPageBlock block(bytes, guard);
            ASSERT_NE(block.data(), nullptr);
            FillBytes(block.data(), bytes, rng);
            const std::vector<std::uint8_t> before(block.data(), block.data() + bytes);

            PluginState state;
            VideoFormat format{size.width, size.height, 0, mode, 3};
            PluginSetFormat(state, &format);
            ChannelSettings settings = TableDefaults();
            settings.MaskPosX = p.x;
            settings.MaskPosY = p.y;
            settings.RectMaskSizeX = 120;
            settings.RectMaskSizeY = 90;
            settings.ScreenBlur = 3;
            settings.EdgeBlur = 2;
            settings.ProcEnable = 1;
            settings.ShowMask = showMask ? 1 : 0;
            state.DefaultSettings = settings;
            if (showMask) state.SettingsWindow.Attach(&windowToken);
            ChannelInfo channel{};
            channel.id = 5;
            FrameInfo frame{};
            frame.pixels = block.data();
            frame.channel = &channel;
            ASSERT_EQ(ProcessFrame(state, &frame), 1);
            ++cases;

            const Changed c = ChangedArea(before.data(), block.data(), size.width, size.height, mode);
            if (p.outside) {
              EXPECT_FALSE(c.any) << "an area outside the frame changed it";
              continue;
            }
            if (!c.any) {
              ADD_FAILURE() << "the area's part inside the frame was not processed";
              continue;
            }
            // The outermost row or column of the frame may stay as it was: the
            // fill keeps the frame's edge pixels as the anchors it draws from.
            EXPECT_EQ(c.left <= 1, p.left) << "columns " << c.left << ".." << c.right;
            EXPECT_EQ(c.right >= size.width - 2, p.right) << "columns " << c.left << ".." << c.right;
            EXPECT_EQ(c.top <= 1, p.top) << "rows " << c.top << ".." << c.bottom;
            EXPECT_EQ(c.bottom >= size.height - 2, p.bottom) << "rows " << c.top << ".." << c.bottom;
          }
  std::printf("[ figures  ] %d guard-page frames processed\n", cases);
}

}  // namespace
}  // namespace kestrimo::testing
