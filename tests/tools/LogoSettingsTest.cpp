// Storing a detected mask into a settings file, and the detect command line.
#include <gtest/gtest.h>

#include <string>

#include "tests/settings/SettingsTestFiles.h"
#include "tools/kestrimo-host/detect/LogoSettings.h"

namespace kestrimo {
namespace {

using testing::ReadBytes;
using testing::TempFolder;
using testing::WriteBytes;

ChannelSettings Detected() {
  ChannelSettings record = TableDefaults();
  record.MaskFileName = "C:\\logos\\found one.bmp";
  record.MaskPosX = 640;
  record.MaskPosY = -3;
  record.RectMaskSizeX = 90;
  record.RectMaskSizeY = 40;
  record.ColorKey = 255;
  record.LogoSeeThrough = 1;  // as detect sets it, with no model here
  return record;
}

// Reads the file back as the plug-in does.
ChannelSettings Reread(const std::string& path, ChannelId id) {
  LogoSettingsFile file(path);
  EXPECT_TRUE(file.Load());
  return file.Channel(id);
}

TEST(LogoSettingsFile, StoresTheMaskAndKeepsEveryOtherChannel) {
  TempFolder folder;
  const std::string path = folder.ProfilePath("KRD_Kestrimo.ini");
  WriteBytes(folder.Path() / "KRD_Kestrimo.ini",
             "[DEFAULT]\r\nProcEnable=1\r\nScreenBlur=3\r\n[COMMON]\r\nDlgWndPosX=412\r\n"
             "[7]\r\nMaskPosX=5\r\nEdgeBlur=2\r\nOpacity=33\r\n[-9]\r\nMaskFileName=keep.bmp\r\n");
  LogoSettingsFile file(path);
  ASSERT_TRUE(file.Load());
  const ChannelSettings before = file.Channel(-9);
  ASSERT_TRUE(file.Store(7, Detected()));

  const ChannelSettings seven = Reread(path, 7);
  EXPECT_EQ(seven.MaskFileName, Detected().MaskFileName);
  EXPECT_EQ(seven.MaskPosX, 640);
  EXPECT_EQ(seven.MaskPosY, -3);
  EXPECT_EQ(seven.ColorKey, 255u);
  EXPECT_EQ(seven.ProcEnable, 1);
  EXPECT_EQ(seven.LogoSeeThrough, 1);
  EXPECT_EQ(seven.EdgeBlur, 2u);   // the channel's own choices stay
  EXPECT_EQ(seven.Opacity, 33);
  EXPECT_EQ(Reread(path, -9), before);
  const std::string text = ReadBytes(folder.Path() / "KRD_Kestrimo.ini");
  EXPECT_NE(text.find("DlgWndPosX=412"), std::string::npos) << text;
  // DEFAULT stays the template of new channels.
  const ChannelSettings fresh = Reread(path, 12);
  EXPECT_EQ(fresh.ProcEnable, 1);
  EXPECT_EQ(fresh.ScreenBlur, 3u);
}

TEST(LogoSettingsFile, NewChannelStartsFromDefaultInAFileMadeFromNothing) {
  TempFolder folder;
  const std::string path = folder.ProfilePath("new.ini");
  LogoSettingsFile file(path);
  ASSERT_TRUE(file.Load());
  ASSERT_TRUE(file.Store(1, Detected()));
  const ChannelSettings one = Reread(path, 1);
  EXPECT_EQ(one.MaskPosX, 640);
  EXPECT_EQ(one.Opacity, TableDefaults().Opacity);
  // COMMON first: a section on the first line would not be read as a channel.
  EXPECT_EQ(ReadBytes(folder.Path() / "new.ini").rfind("[COMMON]", 0), 0u);
}

TEST(LogoSettingsFile, ReadOnlyFileIsLeftAlone) {
  TempFolder folder;
  const auto file = folder.Path() / "locked.ini";
  const std::string original = "[COMMON]\r\n[1]\r\nMaskPosX=5\r\n";
  WriteBytes(file, original);
  testing::MakeReadOnly(file, true);
  LogoSettingsFile settings(folder.ProfilePath("locked.ini"));
  ASSERT_TRUE(settings.Load());
  EXPECT_FALSE(settings.Store(1, Detected()));
  EXPECT_NE(settings.Error().find("locked.ini"), std::string::npos);
  testing::MakeReadOnly(file, false);
  EXPECT_EQ(ReadBytes(file), original);
}

TEST(LogoSettingsText, SectionReadyToPaste) {
  const std::string text = LogoSectionText(-4, Detected());
  EXPECT_EQ(text.rfind("[-4]\nMaskFileName=C:\\logos\\found one.bmp\nMaskPosX=640\nMaskPosY=-3\n", 0), 0u)
      << text;
  EXPECT_NE(text.find("\nColorKey=255\n"), std::string::npos);
  EXPECT_NE(text.find("\nInvertMask=0\n"), std::string::npos);
  EXPECT_NE(text.find("\nProcEnable=1\n"), std::string::npos);
  EXPECT_NE(text.find("\nLogoSeeThrough=1\n"), std::string::npos) << text;
}

}  // namespace
}  // namespace kestrimo
