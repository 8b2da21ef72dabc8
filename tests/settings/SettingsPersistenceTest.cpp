#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include <atomic>
#include <chrono>
#include <thread>

#include "engine/FrameDriver.h"
#include "engine/PluginState.h"
#include "engine/SettingsSave.h"
#include "settings/SettingsPersistence.h"
#include "tests/settings/SettingsTestFiles.h"

namespace kestrimo::testing {
namespace {

std::vector<ChannelId> asked;
std::set<ChannelId> known;

std::int32_t KESTRIMO_CDECL KnownChannels(ChannelId id) {
  asked.push_back(id);
  return known.count(id) != 0 ? 1 : 0;
}

// The fourteen lines of a channel section with the table defaults except for
// the given first two.
std::string DefaultLines(std::string_view maskFileName = "", int maskPosX = 110,
                         int procEnable = 0) {
  return "MaskFileName=" + std::string(maskFileName) + "\r\nMaskPosX=" + std::to_string(maskPosX) +
         "\r\nMaskPosY=95\r\nRectMaskSizeX=100\r\nRectMaskSizeY=70\r\nExpandX=0\r\nExpandY=0\r\n"
         "Opacity=60\r\nInvertMask=0\r\nShowMask=1\r\nColorKey=16744448\r\nScreenBlur=0\r\n"
         "EdgeBlur=0\r\nProcEnable=" + std::to_string(procEnable) + "\r\n";
}

class SettingsPersistenceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    asked.clear();
    known.clear();
    state.ChannelExists = &KnownChannels;
    state.Profile.SetLocation(folder.Location());
  }
  std::filesystem::path File() const { return folder.Path() / "KRD_Kestrimo.ini"; }
  void Load(std::string_view bytes) {
    WriteBytes(File(), bytes);
    ReadSettings(state);
  }
  ChannelSettings Record(ChannelId id, int procEnable = 0) {
    ChannelSettings record = TableDefaults();
    record.Id = id;
    record.ProcEnable = procEnable;
    return record;
  }
  TempFolder folder;
  PluginState state;
};

TEST_F(SettingsPersistenceTest, DefaultCommonAndChannelsInFileOrder) {
  Load("[DEFAULT]\r\nMaskFileName=C:\\d.bmp\r\nMaskPosX=7\r\nColorKey=255\r\n"
       "[COMMON]\r\nDlgWndPosX=412\r\nDlgWndPosY=-3\r\n"
       "[123]\r\nMaskPosY=5\r\nScreenBlur=4294967295\r\n[-5]\r\n");
  EXPECT_EQ(state.DefaultSettings.MaskFileName, "C:\\d.bmp");
  EXPECT_EQ(state.DefaultSettings.MaskPosX, 7);
  EXPECT_EQ(state.DefaultSettings.ColorKey, 255u);
  EXPECT_EQ(state.DefaultSettings.MaskPosY, 95);
  EXPECT_EQ(state.DefaultSettings.Id, 0);
  EXPECT_EQ(state.DlgWndPosX, 412);
  EXPECT_EQ(state.DlgWndPosY, -3);
  ASSERT_EQ(state.ChannelList.size(), 2u);
  ChannelSettings first = Record(123);
  first.MaskPosY = 5;
  first.ScreenBlur = 0xFFFFFFFFu;
  EXPECT_EQ(state.ChannelList[0], first);
  EXPECT_EQ(state.ChannelList[1], Record(-5));
}

// The host may initialise the plug-in again: the second load replaces the
// records, it does not add the file's channels a second time.
TEST_F(SettingsPersistenceTest, ASecondLoadReplacesTheRecords) {
  Load("[COMMON]\r\n[3]\r\n[4]\r\n");
  state.ChannelList.push_back(Record(99));
  ReadSettings(state);
  ASSERT_EQ(state.ChannelList.size(), 2u);
  EXPECT_EQ(state.ChannelList[0], Record(3));
  EXPECT_EQ(state.ChannelList[1], Record(4));
}

TEST_F(SettingsPersistenceTest, ChannelSectionGetsTableDefaultsNotThoseOfDefault) {
  Load("[DEFAULT]\nMaskPosX=1\nShowMask=0\nOpacity=5\n[COMMON]\n[9]\nProcEnable=1\n");
  ASSERT_EQ(state.ChannelList.size(), 1u);
  EXPECT_EQ(state.ChannelList[0], Record(9, 1));
}

TEST_F(SettingsPersistenceTest, DefaultAfterCommonIsReadTwice) {
  Load("[COMMON]\nDlgWndPosX=1\n[DEFAULT]\nMaskPosX=33\n[4]\n");
  EXPECT_EQ(state.DefaultSettings.MaskPosX, 33);
  ASSERT_EQ(state.ChannelList.size(), 2u);
  EXPECT_EQ(state.ChannelList[0].Id, 0);
  EXPECT_EQ(state.ChannelList[0].MaskPosX, 33);
  EXPECT_EQ(state.ChannelList[1].Id, 4);
}

TEST_F(SettingsPersistenceTest, WhichSectionsAreChannels) {
  Load("[DEFAULT]\n[1]\n[2]\n");
  EXPECT_EQ(state.ChannelList.size(), 2u) << "without COMMON: those after DEFAULT";
  state.ChannelList.clear();
  Load("[7]\n[8]\n[9]\n");
  ASSERT_EQ(state.ChannelList.size(), 2u) << "without either: all but the first line's";
  EXPECT_EQ(state.ChannelList[0].Id, 8);
  state.ChannelList.clear();
  Load("[COMMON]\n[5]\n[5]\n");
  EXPECT_EQ(state.ChannelList.size(), 2u) << "a repeated section gives two records";
}

TEST_F(SettingsPersistenceTest, HeaderWithBlanksInsideTheBracketsGetsAllTableDefaults) {
  Load("[COMMON]\r\n[ 42 ]\r\nMaskPosX=1\r\nProcEnable=1\r\n");
  ASSERT_EQ(state.ChannelList.size(), 1u);
  EXPECT_EQ(state.ChannelList[0], Record(42));
  known = {42};
  ASSERT_TRUE(SaveSettings(state));
  EXPECT_EQ(ReadBytes(File()),
            "[COMMON]\r\nDlgWndPosX=-100\r\nDlgWndPosY=-100\r\n[42]\r\n" + DefaultLines());
}

// The lookup of " 42 " finds the earlier [42]; the walk must still go on
// forwards and end.
TEST_F(SettingsPersistenceTest, LookupThatFindsAnEarlierSectionDoesNotLoopTheWalk) {
  Load("[COMMON]\n[42]\nMaskPosX=1\n\n[ 42 ]\n[43]\n");
  ASSERT_EQ(state.ChannelList.size(), 3u);
  EXPECT_EQ(state.ChannelList[1].Id, 42);
  EXPECT_EQ(state.ChannelList[1].MaskPosX, 1);
  EXPECT_EQ(state.ChannelList[2].Id, 43);
}

TEST_F(SettingsPersistenceTest, SectionNamesParsedLikeAtoi64) {
  Load("[COMMON]\n[-9223372036854775808]\n[12abc]\n[abc]\n[\t7 ]\n");
  ASSERT_EQ(state.ChannelList.size(), 4u);
  EXPECT_EQ(state.ChannelList[0].Id, INT64_MIN);
  EXPECT_EQ(state.ChannelList[1].Id, 12);
  EXPECT_EQ(state.ChannelList[2].Id, 0);
  EXPECT_EQ(state.ChannelList[3].Id, 7);
}

TEST_F(SettingsPersistenceTest, SaveWritesTheExactBytes) {
  state.DlgWndPosX = 412;
  state.DlgWndPosY = 160;
  ChannelSettings one = Record(123, 1);
  one.MaskFileName = "C:\\logos\\one.bmp ";
  one.ExpandX = -3;
  one.ColorKey = 0xFFFFFFFFu;
  state.ChannelList = {one, Record(-5), Record(INT64_MIN)};
  known = {123, -5, INT64_MIN};
  ASSERT_TRUE(SaveSettings(state));
  std::string first = DefaultLines("C:\\logos\\one.bmp ", 110, 1);
  first.replace(first.find("ExpandX=0"), 9, "ExpandX=-3");
  first.replace(first.find("ColorKey=16744448"), 17, "ColorKey=4294967295");
  EXPECT_EQ(ReadBytes(File()), "[COMMON]\r\nDlgWndPosX=412\r\nDlgWndPosY=160\r\n[123]\r\n" + first +
                                   "[-5]\r\n" + DefaultLines() + "[-9223372036854775808]\r\n" +
                                   DefaultLines());
}

TEST_F(SettingsPersistenceTest, HostIsAskedForEveryRecordAndIdsOneAndTwoAreKept) {
  state.ChannelList = {Record(1), Record(5), Record(2), Record(6), Record(5)};
  known = {5};
  ASSERT_TRUE(SaveSettings(state));
  EXPECT_EQ(asked, (std::vector<ChannelId>{1, 5, 2, 6, 5}));
  const std::string saved = ReadBytes(File());
  EXPECT_EQ(saved, "[COMMON]\r\nDlgWndPosX=-100\r\nDlgWndPosY=-100\r\n[1]\r\n" + DefaultLines() +
                       "[5]\r\n" + DefaultLines() + "[2]\r\n" + DefaultLines() + "[5]\r\n" +
                       DefaultLines());
}

TEST_F(SettingsPersistenceTest, EmptyMaskFileNameRoundTrips) {
  Load("[COMMON]\n[3]\nMaskFileName=\nMaskPosX=9\n");
  ASSERT_EQ(state.ChannelList.size(), 1u);
  EXPECT_EQ(state.ChannelList[0].MaskFileName, "");
  known = {3};
  ASSERT_TRUE(SaveSettings(state));
  EXPECT_NE(ReadBytes(File()).find("[3]\r\nMaskFileName=\r\nMaskPosX=9\r\n"), std::string::npos);
  state.ChannelList.clear();
  ReadSettings(state);
  ASSERT_EQ(state.ChannelList.size(), 1u);
  EXPECT_EQ(state.ChannelList[0].MaskFileName, "");
  EXPECT_EQ(state.ChannelList[0].MaskPosX, 9);
}

TEST_F(SettingsPersistenceTest, LogoKeysAreWrittenOnlyWhereSetAndNotInherited) {
  Load("[COMMON]\n[3]\nLogoModelFile=C:\\m\\3.png\nLogoPresenceCheck=1\nLogoSeeThrough=1\n"
       "[4]\nMaskPosX=9\nLogoPresenceCheck=0\nLogoSeeThrough=0\n");
  ASSERT_EQ(state.ChannelList.size(), 2u);
  EXPECT_EQ(state.ChannelList[0].LogoModelFile, "C:\\m\\3.png");
  EXPECT_EQ(state.ChannelList[1].LogoModelFile, "");
  EXPECT_EQ(state.ChannelList[0].LogoPresenceCheck, 1);
  EXPECT_EQ(state.ChannelList[1].LogoPresenceCheck, 0);
  EXPECT_EQ(state.ChannelList[0].LogoSeeThrough, 1);
  EXPECT_EQ(state.ChannelList[1].LogoSeeThrough, 0);
  known = {3, 4};
  ASSERT_TRUE(SaveSettings(state));
  EXPECT_EQ(ReadBytes(File()), "[COMMON]\r\nDlgWndPosX=-100\r\nDlgWndPosY=-100\r\n[3]\r\n" +
                                   DefaultLines() +
                                   "LogoModelFile=C:\\m\\3.png\r\nLogoPresenceCheck=1\r\n"
                                   "LogoSeeThrough=1\r\n[4]\r\n" +
                                   DefaultLines("", 9));
}

TEST_F(SettingsPersistenceTest, DefaultSectionIsDroppedBySaving) {
  Load("[DEFAULT]\nMaskPosX=1\n[COMMON]\n");
  ASSERT_TRUE(SaveSettings(state));
  EXPECT_EQ(ReadBytes(File()), "[COMMON]\r\nDlgWndPosX=-100\r\nDlgWndPosY=-100\r\n");
}

TEST_F(SettingsPersistenceTest, WithoutAHostCallbackEveryRecordIsKept) {
  state.ChannelExists = nullptr;
  state.ChannelList = {Record(77)};
  ASSERT_TRUE(SaveSettings(state));
  EXPECT_NE(ReadBytes(File()).find("[77]"), std::string::npos);
}

// A host whose answer runs a frame on another thread: the save asks it
// without holding the settings lock, so the frame goes through at once.
PluginState* frameState = nullptr;
std::thread frameThread;
bool frameWentThrough = false;

std::int32_t KESTRIMO_CDECL RunsAFrame(ChannelId) {
  if (frameThread.joinable()) return 1;
  std::atomic<bool> done{false};
  frameThread = std::thread([&done] {
    static std::uint8_t pixel[4];
    FrameInfo frame{};
    frame.pixels = pixel;
    ProcessFrame(*frameState, &frame);
    done = true;
  });
  for (int wait = 0; wait < 300 && !done; ++wait) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  frameWentThrough = done;
  if (done) frameThread.join();
  return 1;
}

TEST_F(SettingsPersistenceTest, HostIsAskedWithoutTheSettingsLock) {
  frameState = &state;
  state.ChannelExists = &RunsAFrame;
  state.ChannelList = {Record(5)};
  ASSERT_TRUE(SaveSettings(state));
  // A frame held up by the lock gets it when the save ends.
  if (frameThread.joinable()) frameThread.join();
  EXPECT_TRUE(frameWentThrough);
}

}  // namespace
}  // namespace kestrimo::testing
