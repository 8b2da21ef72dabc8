// Loading takes one pass over the file plus short scans per section: ten
// times the sections take about ten times as long, never a hundred.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "engine/PluginState.h"
#include "settings/SettingsPersistence.h"
#include "tests/settings/SettingsTestFiles.h"

namespace kestrimo::testing {
namespace {

std::string FileOfSections(int count, bool blanksInHeaders = false) {
  std::string text = "[DEFAULT]\r\nMaskPosX=1\r\n[COMMON]\r\nDlgWndPosX=5\r\nDlgWndPosY=6\r\n";
  for (int i = 0; i < count; ++i) {
    const std::string id = std::to_string(1000 + i);
    text += (blanksInHeaders ? "[ " + id + " ]" : "[" + id + "]") + "\r\nMaskFileName=C:\\logos\\" + std::to_string(i) +
            ".bmp\r\nMaskPosX=110\r\nMaskPosY=95\r\nRectMaskSizeX=100\r\nRectMaskSizeY=70\r\n"
            "ExpandX=0\r\nExpandY=0\r\nOpacity=60\r\nInvertMask=0\r\nShowMask=1\r\n"
            "ColorKey=16744448\r\nScreenBlur=0\r\nEdgeBlur=0\r\nProcEnable=1\r\n";
  }
  return text;
}

// Ten times the sections: about 10 when loading is linear, 100 when it is
// quadratic. The limit leaves room for a busy machine.
constexpr double kLinearEnough = 50.0;

// The best of a few loads, in microseconds.
double LoadMicroseconds(const TempFolder& folder, int sections, bool blanksInHeaders = false) {
  WriteBytes(folder.Path() / "KRD_Kestrimo.ini", FileOfSections(sections, blanksInHeaders));
  double best = 1e300;
  for (int run = 0; run < 5; ++run) {
    PluginState state;
    state.Profile.SetLocation(folder.Location());
    const auto start = std::chrono::steady_clock::now();
    ReadSettings(state);
    const auto stop = std::chrono::steady_clock::now();
    EXPECT_EQ(state.ChannelList.size(), static_cast<std::size_t>(sections));
    best = std::min(best, std::chrono::duration<double, std::micro>(stop - start).count());
  }
  return best;
}

TEST(SettingsLoadTime, TenTimesTheSectionsTakeAboutTenTimesAsLong) {
  TempFolder folder;
  const double small = LoadMicroseconds(folder, 1000);
  const double large = LoadMicroseconds(folder, 10000);
  const double ratio = large / std::max(small, 1.0);
  std::printf("settings load: 1000 sections %.0f us, 10000 sections %.0f us, ratio %.1f\n", small,
              large, ratio);
  EXPECT_LT(ratio, kLinearEnough);
}

// Every key of a "[ n ]" section is looked up under "[n]" and never found: a
// search around the whole file per key would make this quadratic.
TEST(SettingsLoadTime, SectionsWhoseKeysAreNeverFoundStayLinear) {
  TempFolder folder;
  const double small = LoadMicroseconds(folder, 1000, true);
  const double large = LoadMicroseconds(folder, 10000, true);
  const double ratio = large / std::max(small, 1.0);
  std::printf("settings load, \"[ n ]\" headers: 1000 sections %.0f us, 10000 sections %.0f us, "
              "ratio %.1f\n", small, large, ratio);
  EXPECT_LT(ratio, kLinearEnough);
}

}  // namespace
}  // namespace kestrimo::testing
