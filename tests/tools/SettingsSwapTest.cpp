#include "tools/kestrimo-host/hosting/SettingsSwap.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/settings/SettingsTestFiles.h"

namespace kestrimo {
namespace {

namespace fs = std::filesystem;
using testing::FaultyFileSystem;
using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

// A program folder with the user's settings file beside it; the plug-in's
// file goes to Plugins/KRD_Kestrimo.ini inside.
class SettingsSwapFiles : public ::testing::Test {
 protected:
  fs::path Plugins() const { return folder_.Path() / "Plugins"; }
  fs::path Installed() const { return Plugins() / "KRD_Kestrimo.ini"; }
  fs::path Backup() const { return fs::path(BackupPathOf(Installed().string())); }
  fs::path User() const { return folder_.Path() / "user.ini"; }
  void MakeOwnFile(const std::string& text) {
    fs::create_directory(Plugins());
    WriteBytes(Installed(), text);
  }
  // What the plug-in does at its Done: replaces the file it read.
  void PluginRewrites(const std::string& text) { WriteBytes(Installed(), text); }

  TempFolder folder_;
  const std::string userText_ = "[COMMON]\r\n[1]\r\nProcEnable=1\r\n";
};

TEST_F(SettingsSwapFiles, PutsTheUsersFileInPlaceAndTheOwnFileBackUntouched) {
  MakeOwnFile("own");
  WriteBytes(User(), userText_);
  SettingsSwap swap;
  ASSERT_TRUE(swap.Install(User().string(), Installed().string(), false)) << swap.Error();
  EXPECT_EQ(ReadBytes(Installed()), userText_);
  EXPECT_EQ(ReadBytes(Backup()), "own");
  PluginRewrites("rewritten");
  ASSERT_TRUE(swap.Restore()) << swap.Error();
  EXPECT_EQ(ReadBytes(Installed()), "own");
  EXPECT_FALSE(fs::exists(Backup()));
  EXPECT_EQ(ReadBytes(User()), userText_) << "without save-back the user's file is only read";
}

TEST_F(SettingsSwapFiles, LeavesNoFileOrFolderWhereThereWasNone) {
  WriteBytes(User(), userText_);
  {
    SettingsSwap swap;
    ASSERT_TRUE(swap.Install(User().string(), Installed().string(), false)) << swap.Error();
    EXPECT_EQ(ReadBytes(Installed()), userText_);
    PluginRewrites("rewritten");
  }  // put back by the destructor, as after an error
  EXPECT_FALSE(fs::exists(Plugins()));
}

TEST_F(SettingsSwapFiles, SaveBackReplacesTheUsersFileWithThePluginsResult) {
  MakeOwnFile("own");
  WriteBytes(User(), userText_);
  SettingsSwap swap;
  ASSERT_TRUE(swap.Install(User().string(), Installed().string(), true)) << swap.Error();
  PluginRewrites("rewritten");
  ASSERT_TRUE(swap.Restore()) << swap.Error();
  EXPECT_EQ(ReadBytes(User()), "rewritten");
  EXPECT_EQ(ReadBytes(Installed()), "own");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_.Path()), fs::directory_iterator()), 2)
      << "no temporary file is left beside the user's file";
}

TEST_F(SettingsSwapFiles, GivenTheOwnFileItselfKeepsItUnlessSavingBack) {
  MakeOwnFile(userText_);
  for (bool saveBack : {false, true}) {
    SettingsSwap swap;
    ASSERT_TRUE(swap.Install(Installed().string(), Installed().string(), saveBack)) << swap.Error();
    PluginRewrites("rewritten");
    ASSERT_TRUE(swap.Restore()) << swap.Error();
    EXPECT_EQ(ReadBytes(Installed()), saveBack ? "rewritten" : userText_) << saveBack;
    EXPECT_FALSE(fs::exists(Backup()));
  }
}

TEST_F(SettingsSwapFiles, RefusesWhileABackupOfAnEarlierRunIsThere) {
  MakeOwnFile("the user's copy, left by a killed run");
  WriteBytes(Backup(), "own");
  WriteBytes(User(), userText_);
  SettingsSwap swap;
  EXPECT_FALSE(swap.Install(User().string(), Installed().string(), false));
  EXPECT_NE(swap.Error().find("move it back"), std::string::npos) << swap.Error();
  EXPECT_EQ(ReadBytes(Backup()), "own");
  EXPECT_EQ(ReadBytes(Installed()), "the user's copy, left by a killed run");
}

TEST_F(SettingsSwapFiles, RefusesAMissingOrReadOnlyUsersFileAndChangesNothing) {
  MakeOwnFile("own");
  SettingsSwap missing;
  EXPECT_FALSE(missing.Install(User().string(), Installed().string(), false));
  EXPECT_FALSE(missing.Error().empty());
  WriteBytes(User(), userText_);
  testing::MakeReadOnly(User(), true);
  SettingsSwap readOnly;
  EXPECT_FALSE(readOnly.Install(User().string(), Installed().string(), true));
  EXPECT_NE(readOnly.Error().find("read-only"), std::string::npos) << readOnly.Error();
  EXPECT_EQ(ReadBytes(Installed()), "own");
  EXPECT_FALSE(fs::exists(Backup()));
  testing::MakeReadOnly(User(), false);
}

TEST_F(SettingsSwapFiles, PutsTheOwnFileBackWhenTheCopyCannotBeWritten) {
  MakeOwnFile("own");
  WriteBytes(User(), userText_);
  FaultyFileSystem files;
  files.fault = FaultyFileSystem::Fault::WriteHalfThenFail;
  SettingsSwap swap(files);
  EXPECT_FALSE(swap.Install(User().string(), Installed().string(), false));
  EXPECT_EQ(ReadBytes(Installed()), "own");
  EXPECT_FALSE(fs::exists(Backup()));
}

TEST_F(SettingsSwapFiles, KeepsTheUsersFileWhenSavingBackFails) {
  MakeOwnFile("own");
  WriteBytes(User(), userText_);
  FaultyFileSystem files;
  SettingsSwap swap(files);
  ASSERT_TRUE(swap.Install(User().string(), Installed().string(), true)) << swap.Error();
  PluginRewrites("rewritten");
  files.fault = FaultyFileSystem::Fault::WriteHalfThenFail;
  EXPECT_FALSE(swap.Restore());
  EXPECT_EQ(ReadBytes(User()), userText_);
  EXPECT_EQ(ReadBytes(Installed()), "own");
}

// A run without --settings: whatever the plug-in's save writes, the folder
// is left as it was, with or without a file of its own.
TEST_F(SettingsSwapFiles, KeepLeavesTheOwnFileOrItsAbsenceAsFound) {
  for (bool ownFile : {true, false}) {
    SCOPED_TRACE(ownFile ? "own file" : "no file");
    if (ownFile) MakeOwnFile(userText_);
    SettingsSwap swap;
    ASSERT_TRUE(swap.Keep(Installed().string())) << swap.Error();
    EXPECT_EQ(ReadBytes(Installed()), ownFile ? userText_ : "") << "the plug-in reads the same";
    PluginRewrites("rewritten");
    ASSERT_TRUE(swap.Restore()) << swap.Error();
    EXPECT_EQ(fs::exists(Plugins()), ownFile);
    if (ownFile) {
      EXPECT_EQ(ReadBytes(Installed()), userText_);
    }
    EXPECT_FALSE(fs::exists(Backup()));
    fs::remove_all(Plugins());
  }
}

TEST_F(SettingsSwapFiles, KeepRefusesWhileABackupIsThereAndSkipsAnUnwritableFolder) {
  MakeOwnFile("own");
  WriteBytes(Backup(), "earlier");
  SettingsSwap refused;
  EXPECT_FALSE(refused.Keep(Installed().string()));
  EXPECT_NE(refused.Error().find("move it back"), std::string::npos) << refused.Error();
  EXPECT_EQ(ReadBytes(Installed()), "own");

  // The plug-in could not save into a folder that cannot be made: nothing to guard.
  SettingsSwap skipped;
  const fs::path unreachable = folder_.Path() / "missing" / "Plugins" / "KRD_Kestrimo.ini";
  EXPECT_TRUE(skipped.Keep(unreachable.string())) << skipped.Error();
  EXPECT_TRUE(skipped.Restore());
  EXPECT_FALSE(fs::exists(folder_.Path() / "missing"));
}

TEST(SettingsSwapPath, FollowsThePluginsLocationRuleForItsLibraryName) {
  const std::string path = PluginSettingsPath("some/where/libKRD_Kestrimo.so");
  ASSERT_FALSE(path.empty());
  EXPECT_TRUE(path.ends_with("KRD_Kestrimo.ini")) << path;
  EXPECT_TRUE(PluginSettingsPath("x\\Other.dll").ends_with("Other.ini"));
  EXPECT_EQ(BackupPathOf("a/b.ini"), "a/b.ini.kestrimo-host-backup");
}

}  // namespace
}  // namespace kestrimo
