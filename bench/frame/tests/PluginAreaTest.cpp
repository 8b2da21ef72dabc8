// The comparison is fair only if the peers rebuild the same pixels as the
// plug-in: the bench's area must be exactly where the real library, driven
// through its exports, changes the picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "bench/frame/BenchPlan.h"
#include "bench/frame/LogoOverlay.h"
#include "bench/frame/PluginUnderTest.h"

namespace kestrimo::bench {
namespace {

PackedFrame Textured(const FrameCase& c) {
  RgbPicture p{c.width, c.height, std::vector<std::uint8_t>(static_cast<std::size_t>(c.width) * c.height * 3)};
  for (int y = 0; y < c.height; ++y)
    for (int x = 0; x < c.width; ++x)
      for (int k = 0; k < 3; ++k)
        p.rgb[(static_cast<std::size_t>(y) * c.width + x) * 3 + k] =
            static_cast<std::uint8_t>((x * 7 + y * 3 + k * 50) & 0xFF);
  PackedFrame frame = c.mode == FrameMode::Yuy2 ? ToYuy2(p) : ToBgr24(p);
  OverlayLogo(frame, Interior(c.area));
  return frame;
}

TEST(PluginArea, ThePlugInRebuildsExactlyTheBenchInterior) {
  const char* library = std::getenv("KESTRIMO_PLUGIN_LIBRARY");
  const char* config = std::getenv("XDG_CONFIG_HOME");
  if (library == nullptr || config == nullptr) GTEST_SKIP() << "run through ctest";
  std::filesystem::create_directories(std::filesystem::path(config) / "Telvaro");

  BenchPlan plan;
  PluginUnderTest plugin;
  plan.RegisterChannels(plugin);
  ASSERT_TRUE(plugin.Start(library, config)) << plugin.Error();
  std::vector<FrameCase> cases = plan.FrameCases();
  cases.push_back(plan.SweepCases().front());
  cases.push_back(plan.SweepCases().back());
  for (const FrameCase& c : cases) {
    const PackedFrame before = Textured(c);
    PackedFrame after = before;
    ASSERT_EQ(plugin.Process(after, plan.Channel(c, 0, 0)), 1) << c.label;
    EXPECT_EQ(ChangedLumaBox(before, after), Interior(c.area)) << c.label << " " << Describe(c.area);
  }
}

}  // namespace
}  // namespace kestrimo::bench
