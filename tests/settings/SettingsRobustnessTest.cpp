// Hostile files load without trouble, and a save either replaces the file
// whole or leaves the old one as it was.
#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>

#include "engine/PluginState.h"
#include "engine/SettingsSave.h"
#include "settings/SettingsPersistence.h"
#include "tests/settings/SettingsTestFiles.h"

namespace kestrimo::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::string_view kOldFile = "[COMMON]\r\nDlgWndPosX=1\r\nDlgWndPosY=2\r\n[5]\r\nMaskPosX=9\r\n";

class SettingsRobustnessTest : public ::testing::Test {
 protected:
  void SetUp() override { state.Profile.SetLocation(folder.Location()); }
  fs::path File() const { return folder.Path() / "KRD_Kestrimo.ini"; }
  fs::path Temporary() const { return folder.Path() / "KRD_Kestrimo.ini.tmp"; }
  void Load(std::string_view bytes) {
    WriteBytes(File(), bytes);
    ReadSettings(state);
  }
  void ExpectDefaultsOnly() {
    ChannelSettings defaults = TableDefaults();
    EXPECT_EQ(state.DefaultSettings, defaults);
    EXPECT_EQ(state.DlgWndPosX, -100);
    EXPECT_EQ(state.DlgWndPosY, -100);
    EXPECT_TRUE(state.ChannelList.empty());
  }
  // A save after a load of the old file, with a change worth writing.
  void PrepareSave() {
    Load(kOldFile);
    ASSERT_EQ(state.ChannelList.size(), 1u);
    state.ChannelList[0].MaskPosX = 500;
  }
  TempFolder folder;
  PluginState state;
  FaultyFileSystem faulty;
};

TEST_F(SettingsRobustnessTest, BinaryGarbageLoads) {
  std::mt19937 random(1234);
  std::string garbage(256 * 1024, '\0');
  for (char& c : garbage) c = static_cast<char>(random());
  // Sprinkle headers and key lines among the noise.
  garbage.insert(1000, "\n[COMMON]\n[77]\nMaskPosX=\xFF\xFE\n");
  Load(garbage);
  const auto* record = state.ChannelList.empty() ? nullptr : &state.ChannelList.front();
  ASSERT_NE(record, nullptr);
  EXPECT_EQ(record->Id, 77);
  EXPECT_EQ(record->MaskPosX, 0) << "unreadable number parses as far as it goes";
  ASSERT_TRUE(SaveSettings(state));
}

TEST_F(SettingsRobustnessTest, NulBytesEndTheirLines) {
  static const char bytes[] = "[COMMON]\0\n\0[9]\n[8]\nMaskPosX=4\0\x31\nOpacity=\0 7\n";
  Load(std::string(bytes, sizeof bytes - 1));
  ASSERT_EQ(state.ChannelList.size(), 1u);
  EXPECT_EQ(state.ChannelList[0].Id, 8);
  EXPECT_EQ(state.ChannelList[0].MaskPosX, 4);
  EXPECT_EQ(state.ChannelList[0].Opacity, 60) << "a value that is empty up to its NUL is missing";
}

TEST_F(SettingsRobustnessTest, TenMegabyteLine) {
  const std::string name = "C:\\" + std::string(10u << 20, 'n') + ".bmp";
  Load("[COMMON]\r\n[3]\r\nMaskFileName=" + name + "\r\nMaskPosX=8\r\n");
  ASSERT_EQ(state.ChannelList.size(), 1u);
  EXPECT_EQ(state.ChannelList[0].MaskFileName, name);
  EXPECT_EQ(state.ChannelList[0].MaskPosX, 8);
}

TEST_F(SettingsRobustnessTest, CrOnlyLineEndsGiveDefaults) {
  Load("[DEFAULT]\rMaskPosX=5\r[COMMON]\rDlgWndPosX=3\r[1]\rProcEnable=1\r");
  ExpectDefaultsOnly();
}

TEST_F(SettingsRobustnessTest, NoFinalLineEnd) {
  Load("[COMMON]\r\nDlgWndPosX=3\r\n[1]\r\nProcEnable=1");
  EXPECT_EQ(state.DlgWndPosX, 3);
  ASSERT_EQ(state.ChannelList.size(), 1u);
  EXPECT_EQ(state.ChannelList[0].ProcEnable, 1);
}

TEST_F(SettingsRobustnessTest, MissingFileIsCreatedEmpty) {
  ReadSettings(state);
  ExpectDefaultsOnly();
  EXPECT_TRUE(fs::exists(File()));
  EXPECT_EQ(fs::file_size(File()), 0u);
}

TEST_F(SettingsRobustnessTest, FolderThatCannotBeCreated) {
  SettingsLocation location = folder.Location();
  location.folder = folder.ProfilePath("no-parent") + "\\Plugins\\";
  location.path = location.folder + location.fileName;
  EXPECT_FALSE(state.Profile.Files().MakeDirectory(location.folder));
  state.Profile.SetLocation(location);
  ReadSettings(state);
  ExpectDefaultsOnly();
  state.ChannelList.push_back(TableDefaults());
  EXPECT_FALSE(SaveSettings(state));
  EXPECT_FALSE(fs::exists(folder.Path() / "no-parent"));
}

TEST_F(SettingsRobustnessTest, ReadOnlyFileIsReadButNotReplaced) {
  WriteBytes(File(), kOldFile);
  MakeReadOnly(File(), true);
  ReadSettings(state);
  EXPECT_EQ(state.DlgWndPosX, 1);
  ASSERT_EQ(state.ChannelList.size(), 1u);
  state.ChannelList[0].MaskPosX = 500;
  EXPECT_FALSE(SaveSettings(state));
  EXPECT_EQ(ReadBytes(File()), kOldFile);
  EXPECT_FALSE(fs::exists(Temporary()));
}

TEST_F(SettingsRobustnessTest, SuccessfulSaveReplacesTheFileAndLeavesNoTemporary) {
  PrepareSave();
  ASSERT_TRUE(SaveSettings(state));
  EXPECT_NE(ReadBytes(File()).find("MaskPosX=500"), std::string::npos);
  EXPECT_FALSE(fs::exists(Temporary()));
}

TEST_F(SettingsRobustnessTest, StaleTemporaryFileIsOverwritten) {
  PrepareSave();
  WriteBytes(Temporary(), "left over by a crash");
  ASSERT_TRUE(SaveSettings(state));
  EXPECT_NE(ReadBytes(File()).find("MaskPosX=500"), std::string::npos);
  EXPECT_FALSE(fs::exists(Temporary()));
}

TEST_F(SettingsRobustnessTest, TemporaryFileThatCannotBeCreatedKeepsTheOldFile) {
  PrepareSave();
  fs::create_directory(Temporary());  // not even root can open a folder as a file
  EXPECT_FALSE(SaveSettings(state));
  EXPECT_EQ(ReadBytes(File()), kOldFile);
  EXPECT_TRUE(fs::is_directory(Temporary()));
}

TEST_F(SettingsRobustnessTest, WriteFailingHalfwayKeepsTheOldFileAndRemovesTheTemporary) {
  PrepareSave();
  faulty.fault = FaultyFileSystem::Fault::WriteHalfThenFail;
  state.Profile.SetFileSystem(faulty);
  EXPECT_FALSE(SaveSettings(state));
  EXPECT_EQ(ReadBytes(File()), kOldFile);
  EXPECT_FALSE(fs::exists(Temporary()));
}

TEST_F(SettingsRobustnessTest, FailedRenameKeepsTheOldFileAndRemovesTheTemporary) {
  PrepareSave();
  faulty.fault = FaultyFileSystem::Fault::RenameFails;
  state.Profile.SetFileSystem(faulty);
  EXPECT_FALSE(SaveSettings(state));
  EXPECT_EQ(ReadBytes(File()), kOldFile);
  EXPECT_FALSE(fs::exists(Temporary()));
}

// A save after a read that did not take in the whole file would replace it
// with only what was read: the file stays as it is. A later whole read makes
// saving possible again.
TEST_F(SettingsRobustnessTest, SaveAfterAnIncompleteReadKeepsTheFile) {
  const std::string tail = "\r\n[88]\r\nMaskPosX=3\r\n";  // a channel past the read cap
  struct Case {
    const char* what;
    FaultyFileSystem::Fault fault;
    std::uintmax_t padTo;  // the old file padded with NUL bytes to this size, then the tail
  };
  for (const Case c : {Case{"read fails", FaultyFileSystem::Fault::ReadFails, 0},
                       Case{"file longer than the read cap", FaultyFileSystem::Fault::None,
                            ProfileFile::kMaxFileBytes}}) {
    SCOPED_TRACE(c.what);
    WriteBytes(File(), kOldFile);
    if (c.padTo != 0) {
      fs::resize_file(File(), c.padTo);
      std::ofstream(File(), std::ios::binary | std::ios::app) << tail;
    }
    const std::uintmax_t size = fs::file_size(File());
    faulty.fault = c.fault;
    state.Profile.SetFileSystem(faulty);
    ReadSettings(state);
    state.ChannelList.push_back(TableDefaults());
    EXPECT_FALSE(SaveSettings(state));
    EXPECT_EQ(fs::file_size(File()), size);
    std::string head(kOldFile.size(), '\0');
    std::ifstream(File(), std::ios::binary).read(head.data(), static_cast<std::streamsize>(head.size()));
    EXPECT_EQ(head, kOldFile);
    EXPECT_FALSE(fs::exists(Temporary()));
  }
  faulty.fault = FaultyFileSystem::Fault::None;
  PrepareSave();
  EXPECT_TRUE(SaveSettings(state));
}

TEST_F(SettingsRobustnessTest, SaveWithoutLocationWritesNothing) {
  state.Profile.SetLocation({});
  ReadSettings(state);
  ExpectDefaultsOnly();
  EXPECT_FALSE(SaveSettings(state));
  EXPECT_TRUE(fs::is_empty(folder.Path()));
}

}  // namespace
}  // namespace kestrimo::testing
