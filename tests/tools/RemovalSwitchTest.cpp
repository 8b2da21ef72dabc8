#include "tools/kestrimo-host/hosting/RemovalSwitch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/settings/SettingsTestFiles.h"

namespace kestrimo {
namespace {

using testing::TempFolder;
using testing::WriteBytes;

// Channels 1, 2 and 9 asked for, in files that switch removal on in different ways.
TEST(RemovalSwitch, ReadsEachChannelAsThePluginWill) {
  struct Case {
    const char* file;  // nullptr: no file
    std::vector<ChannelId> off;
  };
  const Case cases[] = {
      {nullptr, {1, 2, 9}},
      {"", {1, 2, 9}},
      {"[COMMON]\r\n[1]\r\nProcEnable=1\r\n[2]\r\nProcEnable=0\r\n", {2, 9}},
      // A channel without a section starts from DEFAULT; one with a section does not.
      {"[DEFAULT]\r\nProcEnable=1\r\n[COMMON]\r\n[2]\r\nMaskPosX=5\r\n", {2}},
      // Section names are case-sensitive: "common" is a channel, 0, not the header.
      {"[common]\r\n[1]\r\nProcEnable=1\r\n", {2, 9}},
  };
  TempFolder folder;
  const std::string path = (folder.Path() / "KRD_Kestrimo.ini").string();
  for (const Case& c : cases) {
    std::string given;
    if (c.file != nullptr) {
      WriteBytes(path, c.file);
      given = path;
    }
    EXPECT_EQ(ChannelsWithRemovalOff(given, {1, 2, 9, 2}), c.off) << (c.file ? c.file : "no file");
  }
}

TEST(RemovalSwitch, TheNoticeNamesTheChannelsAndBothWaysToSwitchRemovalOn) {
  EXPECT_EQ(RemovalOffNotice({}), "");
  const std::string one = RemovalOffNotice({7});
  for (const char* part : {"channel 7", "pass unchanged", "--settings FILE", "ProcEnable=1",
                           "[7]", "detect -i CLIP --write 7"}) {
    EXPECT_NE(one.find(part), std::string::npos) << part << " missing in: " << one;
  }
  EXPECT_NE(RemovalOffNotice({1, -4}).find("channels 1, -4"), std::string::npos);
}

}  // namespace
}  // namespace kestrimo
