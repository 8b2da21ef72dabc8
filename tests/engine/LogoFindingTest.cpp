// The logo search through the frame driver: a found logo's picture written
// beside the settings file and undone or kept with a picture it replaced,
// and a search ended by a channel switch or by Stop leaving no file.
// (How well logos are found is measured on real pictures in tests/detect.)
#include "engine/LogoFinding.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>
#include <vector>

#include "engine/FrameDriver.h"
#include "engine/PluginState.h"
#include "plugin/EntryPoints.h"
#include "tests/support/PictureFiles.h"
#include "tests/tools/LogoClip.h"

namespace kestrimo {
namespace {

namespace fs = std::filesystem;
using Phase = LogoFinding::Phase;

const testing::LogoClipLayout kLayout{320, 240, {12, 10, 52, 26}, 100};

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

class LogoSearch : public ::testing::Test {
 protected:
  void SetUp() override {
    SettingsLocation location;
    location.folder = folder.PathOf("");
    location.moduleName = "KRD_Kestrimo";
    state.Profile.SetLocation(location);
    ChannelSettings record = TableDefaults();
    record.Id = 1;
    state.ChannelList = {record};
    VideoFormat video{kLayout.width, kLayout.height, 0, kFrameModeYuy2, 3};
    PluginSetFormat(state, &video);
    pixels.resize(clip.FrameBytes());
    frame.pixels = pixels.data();
    frame.channel = &channel;
    channel.id = 1;
  }
  void Send(int t) {
    clip.WithLogo(t, pixels.data());
    ASSERT_EQ(ProcessFrame(state, &frame), 1);
  }
  // Frames until the search has an outcome (the worker decides on its own).
  Phase Outcome() {
    for (int t = 0; t < 400; ++t) {
      const Phase phase = state.Finding.Poll().phase;
      if (phase == Phase::Found || phase == Phase::NotFound) return phase;
      if (phase == Phase::Collecting) Send(t);
      else std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return state.Finding.Poll().phase;
  }
  fs::path Picture() const { return fs::path(folder.PathOf("KRD_Kestrimo")) / "1.bmp"; }

  testing::PictureFolder folder;
  PluginState state;
  testing::LogoClip clip{kLayout};
  std::vector<std::uint8_t> pixels;
  ChannelInfo channel{};
  FrameInfo frame{};
};

TEST_F(LogoSearch, FoundPictureIsWrittenThenUndoneOrKeptWithTheOneItReplaced) {
  for (const bool keep : {false, true}) {
    fs::create_directories(Picture().parent_path());
    { std::ofstream(Picture(), std::ios::binary) << "earlier picture"; }
    ASSERT_EQ(state.Finding.Start(state), LogoFinding::Reason::None);
    ASSERT_EQ(Outcome(), Phase::Found);
    LogoFinding::Found found;
    ASSERT_TRUE(state.Finding.TakeFound(found));
    // Named with the settings' backslashes, and loadable as named.
    EXPECT_TRUE(found.maskFileName.ends_with("KRD_Kestrimo\\1.bmp")) << found.maskFileName;
    std::string name = found.maskFileName;
    std::string model = found.modelFileName;
    EXPECT_TRUE(model.ends_with("KRD_Kestrimo\\1-model.bmp")) << model;
    state.Mask.LoadPictures(name, model);
    EXPECT_EQ(state.Mask.MaskLoaded, 1);
    EXPECT_FALSE(state.Mask.Removal.Model.Empty());
    EXPECT_EQ(Contents(Picture()).substr(0, 2), "BM");
    EXPECT_EQ(Contents(Picture().string() + ".old"), "earlier picture");
    // Centred on the logo, in the 768 x 576 raster.
    EXPECT_NEAR(found.shape.MaskPosX, 32 * 768 / 320, 8);
    EXPECT_NEAR(found.shape.MaskPosY, 18 * 576 / 240, 8);
    keep ? state.Finding.KeepPicture() : state.Finding.UndoPicture();
    EXPECT_EQ(Contents(Picture()) == "earlier picture", !keep);
    EXPECT_EQ(fs::exists(Picture().parent_path() / "1-model.bmp"), keep);  // none there before
    EXPECT_FALSE(fs::exists(Picture().string() + ".old"));
  }
}

TEST_F(LogoSearch, SwitchOrStopEndsItWithoutAFile) {
  ASSERT_EQ(state.Finding.Start(state), LogoFinding::Reason::None);
  Send(0);
  channel.id = 2;
  Send(1);
  EXPECT_EQ(state.Finding.Poll().phase, Phase::NotFound);
  EXPECT_EQ(state.Finding.Poll().reason, LogoFinding::Reason::Interrupted);
  channel.id = 1;
  ASSERT_EQ(state.Finding.Start(state), LogoFinding::Reason::None);
  for (int t = 0; t < 10; ++t) Send(t);
  state.Finding.Stop();
  EXPECT_EQ(state.Finding.Poll().phase, Phase::Idle);
  // A search stopped after it wrote its picture, before the window took it.
  ASSERT_EQ(state.Finding.Start(state), LogoFinding::Reason::None);
  ASSERT_EQ(Outcome(), Phase::Found);
  state.Finding.Stop();
  EXPECT_FALSE(fs::exists(Picture()));
}

}  // namespace
}  // namespace kestrimo
