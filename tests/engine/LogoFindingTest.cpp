// The logo search through the frame driver: a found logo's picture and model
// written beside the settings file under new names, kept or removed as the
// records decide, and never a user's picture changed, however a search ends.
// (How well logos are found is measured on real pictures in tests/detect.)
#include "engine/LogoFinding.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <thread>
#include <vector>

#include "engine/FrameDriver.h"
#include "engine/PluginState.h"
#include "engine/SettingsSave.h"
#include "plugin/EntryPoints.h"
#include "settings/SettingsPersistence.h"
#include "tests/support/PictureFiles.h"
#include "tests/tools/LogoClip.h"

namespace kestrimo {
namespace {

namespace fs = std::filesystem;
using Phase = LogoFinding::Phase;
using Reason = LogoFinding::Reason;

const testing::LogoClipLayout kLayout{320, 240, {12, 10, 52, 26}, 100};

std::string Contents(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::string Leaf(const std::string& path) { return path.substr(path.find_last_of("\\/") + 1); }

// The host's file system, refusing every rename as some shares do.
class RenamesFail final : public FileSystem {
 public:
  bool ReadOrCreate(const std::string& path, std::size_t maxBytes, std::string& text) override {
    return HostFileSystem().ReadOrCreate(path, maxBytes, text);
  }
  bool WriteNewFile(const std::string& path, std::string_view text) override {
    return HostFileSystem().WriteNewFile(path, text);
  }
  bool RenameReplacing(const std::string&, const std::string&) override { return false; }
  bool RemoveFile(const std::string& path) override { return HostFileSystem().RemoveFile(path); }
  Creation CreateNewFile(const std::string& path, std::string_view text) override {
    return HostFileSystem().CreateNewFile(path, text);
  }
  bool MakeDirectory(const std::string& path) override {
    return HostFileSystem().MakeDirectory(path);
  }
  bool IsReadOnly(const std::string& path) override { return HostFileSystem().IsReadOnly(path); }
};

// One program of the plug-in over a settings folder in which channels 1 and
// 2 have pictures of the user's, saved in the settings file.
class LogoSearch : public ::testing::Test {
 public:  // the table's rows drive it
  void SetUp() override {
    fs::create_directories(Pictures());
    for (const char* name : {"1.bmp", "2.bmp"}) {
      std::ofstream(Pictures() / name, std::ios::binary) << UserPicture(name);
    }
    std::ofstream(fs::path(folder.PathOf("KRD_Kestrimo.ini")), std::ios::binary)
        << "[COMMON]\r\n[1]\r\nMaskFileName=" << PictureName("1.bmp") << "\r\n[2]\r\nMaskFileName="
        << PictureName("2.bmp") << "\r\n";
    Restart();
  }

  fs::path Pictures() const { return fs::path(folder.PathOf("KRD_Kestrimo")); }
  std::string PictureName(const char* name) const { return folder.PathOf("KRD_Kestrimo\\") + name; }
  static std::string UserPicture(const char* name) {
    return testing::EncodeBmp(testing::PatternPicture(40, 30, name[0]), 24);
  }

  // The program starts: the settings read, the frame format given.
  void Restart() {
    state = std::make_unique<PluginState>();
    SettingsLocation location;
    location.folder = folder.PathOf("");
    location.moduleName = "KRD_Kestrimo";
    location.fileName = "KRD_Kestrimo.ini";
    location.path = location.folder + location.fileName;
    state->Profile.SetLocation(location);
    ReadSettings(*state);
    VideoFormat video{kLayout.width, kLayout.height, 0, kFrameModeYuy2, 3};
    PluginSetFormat(*state, &video);
  }
  // The program is killed: it neither tidies nor saves.
  void Die() {
    using Programs = std::vector<std::unique_ptr<PluginState>>;
    static Programs* dead = new Programs;  // never destroyed, so they never clean up
    dead->push_back(std::move(state));
    Restart();
  }

  void Send(ChannelId id, int t) {
    std::vector<std::uint8_t> pixels(clip.FrameBytes());
    clip.WithLogo(t, pixels.data());
    ChannelInfo channel{};
    channel.id = id;
    FrameInfo frame{};
    frame.pixels = pixels.data();
    frame.channel = &channel;
    ASSERT_EQ(ProcessFrame(*state, &frame), 1);
  }
  // Frames of channel id until the search has an outcome.
  Phase Outcome(ChannelId id = 1) {
    for (int t = 0; t < 400; ++t) {
      const Phase phase = state->Finding.Poll().phase;
      if (phase == Phase::Found || phase == Phase::NotFound) return phase;
      if (phase == Phase::Collecting || phase == Phase::Watching) Send(id, t);
      else std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return state->Finding.Poll().phase;
  }
  // A search on channel id to its result, left untaken.
  void SearchUntilFound(ChannelId id, FileSystem& files = HostFileSystem()) {
    Send(id, 0);  // the channel on screen
    ASSERT_EQ(state->Finding.Start(*state, files), Reason::None);
    ASSERT_EQ(Outcome(id), Phase::Found);
  }
  // A search taken and applied to its channel, as the window does; the
  // result's two file names.
  std::set<std::string> SearchAndApply(ChannelId id) {
    SearchUntilFound(id);
    LogoFinding::Found found;
    EXPECT_TRUE(state->Finding.TakeFound(found));
    LockHold hold(state->SettingsLock);
    for (ChannelSettings& record : state->ChannelList) {
      if (record.Id != found.channel) continue;
      record.MaskFileName = found.maskFileName;
      record.LogoModelFile = found.modelFileName;
    }
    return {Leaf(found.maskFileName), Leaf(found.modelFileName)};
  }
  void OpenWindow() {
    LockHold hold(state->SettingsLock);
    state->UndoList = state->ChannelList;
  }
  void CloseWindow(bool ok) {
    if (!ok) {
      {
        LockHold hold(state->SettingsLock);
        state->ChannelList = state->UndoList;
      }
      state->Finding.RemoveUnnamedPictures();
    }
    state->Finding.KeepNamedPictures();
  }

  // Every file a record or the saved settings name is there.
  void ExpectNamedFilesThere() {
    std::vector<std::string> names;
    for (const ChannelSettings& record : state->ChannelList) {
      names.push_back(record.MaskFileName);
      names.push_back(record.LogoModelFile);
    }
    PluginState saved;
    saved.Profile.SetLocation(state->Profile.Location());
    ReadSettings(saved);
    for (const ChannelSettings& record : saved.ChannelList) {
      names.push_back(record.MaskFileName);
      names.push_back(record.LogoModelFile);
    }
    for (const std::string& name : names) {
      if (!name.empty()) {
        EXPECT_TRUE(fs::exists(Pictures() / Leaf(name))) << name;
      }
    }
  }
  std::set<std::string> FilesThere() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(Pictures()))
      names.insert(entry.path().filename().string());
    return names;
  }

  testing::PictureFolder folder;
  std::unique_ptr<PluginState> state;
  testing::LogoClip clip{kLayout};
};

TEST_F(LogoSearch, FoundPictureAndModelLoadAsNamedAndPlaceTheLogo) {
  SearchUntilFound(1);
  LogoFinding::Found found;
  ASSERT_TRUE(state->Finding.TakeFound(found));
  EXPECT_EQ(found.channel, 1);
  // Named with the settings' backslashes, new beside the user's 1.bmp, and loadable as named.
  EXPECT_TRUE(found.maskFileName.ends_with("KRD_Kestrimo\\1-1.bmp")) << found.maskFileName;
  EXPECT_TRUE(found.modelFileName.ends_with("KRD_Kestrimo\\1-1-model.bmp")) << found.modelFileName;
  state->Mask.LoadPictures(found.maskFileName, found.modelFileName);
  EXPECT_EQ(state->Mask.MaskLoaded, 1);
  EXPECT_FALSE(state->Mask.Removal.Model.Empty());
  // Centred on the logo, in the 768 x 576 raster.
  EXPECT_NEAR(found.shape.MaskPosX, 32 * 768 / 320, 8);
  EXPECT_NEAR(found.shape.MaskPosY, 18 * 576 / 240, 8);
}

// However the search and the window end, a file that a record or the saved
// settings name stays as it is, and what the search wrote that nothing names
// goes, sooner or later; what is left in the picture folder is exact.
TEST_F(LogoSearch, NoFileARecordNamesIsEverLostAndNoneOfTheSearchsIsLeftOver) {
  using Row = std::function<std::set<std::string>(LogoSearch&)>;
  const struct {
    const char* what;
    Row run;  // the found files that are to stay
  } rows[] = {
      {"cancel after searches on two channels, a file of the user's at the first new name",
       [](LogoSearch& t) {
         std::ofstream(t.Pictures() / "1-1.bmp", std::ios::binary) << "the user's";
         t.OpenWindow();
         t.SearchAndApply(1);
         t.SearchAndApply(2);
         t.CloseWindow(false);
         EXPECT_EQ(Contents(t.Pictures() / "1-1.bmp"), "the user's");
         return std::set<std::string>{"1-1.bmp"};
       }},
      {"a program killed with a result applied, then a search and OK in the next",
       [](LogoSearch& t) {
         t.OpenWindow();
         t.SearchAndApply(1);
         t.Die();
         t.Send(1, 0);
         EXPECT_EQ(t.state->Finding.Start(*t.state), Reason::None);
         EXPECT_EQ(t.FilesThere(), (std::set<std::string>{"1.bmp", "2.bmp"})) << "tidied at start";
         t.OpenWindow();
         const std::set<std::string> kept = t.SearchAndApply(1);
         t.CloseWindow(true);
         EXPECT_TRUE(SaveSettings(*t.state));
         return kept;
       }},
      {"a result only the saved settings name, after the record changed",
       [](LogoSearch& t) {
         const std::set<std::string> saved = t.SearchAndApply(1);
         EXPECT_TRUE(SaveSettings(*t.state));
         t.Die();
         t.state->ChannelList[0].MaskFileName.clear();
         t.state->ChannelList[0].LogoModelFile.clear();
         t.SearchUntilFound(2);
         t.state->Finding.Stop();
         std::set<std::string> left = saved;
         left.insert(FoundPictureFiles::kUnkeptList);  // until nothing names it
         return left;
       }},
      {"renames that fail",
       [](LogoSearch& t) {
         static RenamesFail files;
         t.OpenWindow();
         t.Send(1, 0);
         EXPECT_EQ(t.state->Finding.Start(*t.state, files), Reason::None);
         EXPECT_EQ(t.Outcome(), Phase::NotFound);
         EXPECT_EQ(t.state->Finding.Poll().reason, Reason::CannotWrite);
         t.CloseWindow(false);
         return std::set<std::string>{};
       }},
      {"a write that fails",
       [](LogoSearch& t) {
         FailNthWriteForTesting(1);
         t.Send(1, 0);
         EXPECT_EQ(t.state->Finding.Start(*t.state), Reason::None);
         EXPECT_EQ(t.Outcome(), Phase::NotFound);
         FailNthWriteForTesting(0);
         EXPECT_TRUE(WriteFailureHappenedForTesting());
         EXPECT_EQ(t.state->Finding.Poll().reason, Reason::CannotWrite);
         return std::set<std::string>{};
       }},
      {"a second search given up (another channel on screen) after the first was applied",
       [](LogoSearch& t) {
         t.OpenWindow();
         const std::set<std::string> first = t.SearchAndApply(1);
         t.SearchUntilFound(1);
         LogoFinding::Found found;
         EXPECT_TRUE(t.state->Finding.TakeFound(found));
         t.state->Finding.RemoveUnnamedPictures();
         t.CloseWindow(true);
         return first;
       }},
      {"a second search stopped after it wrote, the first applied",
       [](LogoSearch& t) {
         t.OpenWindow();
         const std::set<std::string> first = t.SearchAndApply(1);
         const ChannelSettings applied = t.state->ChannelList[0];
         t.SearchUntilFound(1);
         t.state->Finding.Stop();
         EXPECT_EQ(t.state->ChannelList[0], applied);
         t.CloseWindow(true);
         return first;
       }},
      {"a kept result, then the mask cleared, a search stopped and another found",
       [](LogoSearch& t) {
         t.OpenWindow();
         const std::set<std::string> kept = t.SearchAndApply(1);
         t.CloseWindow(true);
         t.OpenWindow();
         t.state->ChannelList[0].MaskFileName.clear();
         t.state->ChannelList[0].LogoModelFile.clear();
         t.Send(1, 0);
         EXPECT_EQ(t.state->Finding.Start(*t.state), Reason::None);
         t.state->Finding.Stop();
         t.SearchUntilFound(1);
         t.state->Finding.Stop();
         t.CloseWindow(true);
         return kept;
       }},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    TearDown();
    SetUp();
    std::set<std::string> want = row.run(*this);
    want.erase("");
    want.insert({"1.bmp", "2.bmp"});
    EXPECT_EQ(Contents(Pictures() / "1.bmp"), UserPicture("1.bmp"));
    EXPECT_EQ(Contents(Pictures() / "2.bmp"), UserPicture("2.bmp"));
    ExpectNamedFilesThere();
    EXPECT_EQ(FilesThere(), want);
    state->Finding.Stop();
    for (const auto& entry : fs::directory_iterator(Pictures())) fs::remove(entry.path());
  }
}

TEST_F(LogoSearch, SwitchOrStopEndsItWithoutAFile) {
  ASSERT_EQ(state->Finding.Start(*state), Reason::None);
  Send(1, 0);
  Send(2, 1);
  EXPECT_EQ(state->Finding.Poll().phase, Phase::NotFound);
  EXPECT_EQ(state->Finding.Poll().reason, Reason::Interrupted);
  ASSERT_EQ(state->Finding.Start(*state), Reason::None);
  for (int t = 0; t < 10; ++t) Send(1, t);
  state->Finding.Stop();
  EXPECT_EQ(state->Finding.Poll().phase, Phase::Idle);
  // A search stopped after it wrote its picture, before the window took it.
  SearchUntilFound(1);
  state->Finding.Stop();
  EXPECT_EQ(state->Finding.Poll().phase, Phase::Idle);
  EXPECT_EQ(FilesThere(), (std::set<std::string>{"1.bmp", "2.bmp"}));
}

// Frames the search cannot take say so, rather than blaming memory.
TEST_F(LogoSearch, AFormatOrSizeItCannotTakeHasItsOwnReason) {
  const struct {
    std::int32_t width, height, mode;
    Reason reason;
  } cases[] = {{320, 240, 7, Reason::UnsupportedFormat},
               {4096, 2305, kFrameModeYuy2, Reason::FrameTooLarge},
               {640, 480, kFrameModeBgr, Reason::None}};
  for (const auto& c : cases) {
    {
      LockHold hold(state->SettingsLock);
      state->FrameWidth = c.width;
      state->FrameHeight = c.height;
      state->FrameMode = c.mode;
    }
    EXPECT_EQ(state->Finding.Start(*state), c.reason)
        << c.width << "x" << c.height << " mode " << c.mode;
    state->Finding.Stop();
  }
}

}  // namespace
}  // namespace kestrimo
