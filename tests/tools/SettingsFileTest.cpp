#include <gtest/gtest.h>

#include <string>

#include "tools/kestrimo-host/hosting/FileNameKeys.h"
#include "tools/kestrimo-host/hosting/SettingsFileCheck.h"

namespace kestrimo {
namespace {

// What the tool may write over: INI text only.
TEST(SettingsFile, IsIniTextInAnEightBitCodePage) {
  struct Case {
    std::string bytes;
    const char* problem;  // a part of the reason; nullptr: a settings file
  };
  for (const Case& c : {
           Case{"", nullptr},
           Case{"[COMMON]\r\n[1]\r\nMaskPosX=117\r\n\r\n; note\r\n# note\r\n", nullptr},
           Case{"\xEF\xBB\xBF[1]\nName=\xCF\xE5\xF0\xE2\xFB\xE9\n", nullptr},  // UTF-8 mark, CP1251
           Case{"[1]\nProcEnable=1", nullptr},  // no last line end
           Case{"just some notes\nabout the logo\n", "line 1"},
           Case{"[1]\nMaskPosX=1\n[unclosed\n", "line 3"},
           Case{std::string("[\0C\0O\0M\0M\0O\0N\0]\0", 16), "UTF-16"},
           Case{std::string("[1]\nA=\0\n", 8), "binary"},
           Case{"\x89PNG\r\n\x1A\n", "PNG"},
           Case{"YUV4MPEG2 W720 H576 C422\n", "Y4M"},
           Case{std::string("BM\x46\0\0\0\0\0\0\0", 10), "BMP"},
       }) {
    const std::string problem = SettingsFileProblem(c.bytes);
    if (c.problem == nullptr) {
      EXPECT_EQ(problem, "") << c.bytes;
    } else {
      EXPECT_NE(problem.find(c.problem), std::string::npos) << c.bytes << " -> " << problem;
    }
  }
}

// The plug-in's save leaves out a file name it could not load; the user's
// file keeps it, as the user wrote it, and a name the save kept stays its.
TEST(SettingsFile, KeepsTheFileNamesTheUserWrote) {
  const std::string user =
      "[COMMON]\n[1]\nMaskFileName=/a/logo.bmp\nLogoModelFile=/a/model.bmp\n[2]\nMaskFileName=/b.bmp\n";
  struct Case {
    std::string rewritten;
    std::string kept;
  };
  for (const Case& c : {
           Case{"[COMMON]\r\n[1]\r\nMaskFileName=\r\nProcEnable=1\r\n[2]\r\nMaskFileName=/b.bmp\r\n",
                "[COMMON]\r\n[1]\r\nLogoModelFile=/a/model.bmp\r\nMaskFileName=/a/logo.bmp\r\n"
                "ProcEnable=1\r\n[2]\r\nMaskFileName=/b.bmp\r\n"},
           Case{"[COMMON]\n[1]\nMaskFileName=/c.bmp\nLogoModelFile=/a/model.bmp\n",
                "[COMMON]\n[1]\nMaskFileName=/c.bmp\nLogoModelFile=/a/model.bmp\n"
                "[2]\nMaskFileName=/b.bmp\n"},
       }) {
    EXPECT_EQ(KeepFileNameKeys(user, c.rewritten), c.kept);
  }
  EXPECT_EQ(KeepFileNameKeys("[1]\nmaskfilename=/x.bmp\n", "[1]\n"), "[1]\n")
      << "not a key the plug-in reads";
}

}  // namespace
}  // namespace kestrimo
