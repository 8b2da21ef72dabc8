#include "tools/kestrimo-host/app/Options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tools/kestrimo-host/app/DetectCommandLine.h"

namespace kestrimo {
namespace {

ParsedOptions Parse(std::vector<std::string> args) { return ParseOptions(args); }

TEST(HostOptions, DefaultsReadStdinWriteStdoutOnChannelOne) {
  const ParsedOptions parsed = Parse({});
  ASSERT_TRUE(parsed.Ok()) << parsed.error;
  const HostOptions& o = parsed.options;
  EXPECT_EQ(o.input, "-");
  EXPECT_EQ(o.output, "-");
  EXPECT_TRUE(o.pluginPath.empty());
  EXPECT_FALSE(o.format.has_value());
  EXPECT_EQ(o.channelId, 1);
  EXPECT_EQ(o.channelName, "");
  EXPECT_EQ(o.cpuLevel, 3);
  EXPECT_TRUE(o.switches.empty());
}

TEST(HostOptions, TakesValuesSeparatelyOrAfterEquals) {
  const ParsedOptions parsed =
      Parse({"-i", "in.yuv", "--output=out.yuv", "--format", "bgr24", "--size=720x576",
             "--channel", "-9223372036854775808", "--name", "Первый канал", "--cpu-level",
             "2", "--plugin", "lib/x.dll"});
  ASSERT_TRUE(parsed.Ok()) << parsed.error;
  const HostOptions& o = parsed.options;
  EXPECT_EQ(o.input, "in.yuv");
  EXPECT_EQ(o.output, "out.yuv");
  EXPECT_EQ(o.format, StreamFormat::Bgr24);
  EXPECT_EQ(o.size, (FrameSize{720, 576}));
  EXPECT_EQ(o.channelId, INT64_MIN);
  EXPECT_EQ(o.channelName, "Первый канал");  // bytes as given
  EXPECT_EQ(o.cpuLevel, 2);
  EXPECT_EQ(o.pluginPath, "lib/x.dll");
}

TEST(HostOptions, InstanceSwitchesAreLeftToThePlugin) {
  const ParsedOptions parsed = Parse({"-inst:3", "--channel", "5", "/inst:B", "-inst:"});
  ASSERT_TRUE(parsed.Ok()) << parsed.error;
  EXPECT_EQ(parsed.options.channelId, 5);
}

TEST(HostOptions, SwitchListKeepsEveryEntryInOrderGiven) {
  const ParsedOptions parsed =
      Parse({"--switch", "10:2", "--switch=0:-7", "--switch", "25:3:ТВ:news"});
  ASSERT_TRUE(parsed.Ok()) << parsed.error;
  const auto& s = parsed.options.switches;
  ASSERT_EQ(s.size(), 3u);
  EXPECT_EQ(s[0].frame, 10);
  EXPECT_EQ(s[0].id, 2);
  EXPECT_FALSE(s[0].name.has_value());
  EXPECT_EQ(s[1].frame, 0);
  EXPECT_EQ(s[1].id, -7);
  EXPECT_EQ(s[2].frame, 25);
  EXPECT_EQ(s[2].id, 3);
  EXPECT_EQ(s[2].name, "ТВ:news");  // the name may hold colons
}

TEST(HostOptions, RefusesMalformedSwitches) {
  for (const char* bad : {"10", "10:", ":2", "-1:2", "x:2", "10:2x", "10:99999999999999999999",
                          "1.5:2", ""}) {
    EXPECT_FALSE(Parse({"--switch", bad}).Ok()) << bad;
  }
}

TEST(HostOptions, RefusesBadSizes) {
  for (const char* bad : {"720", "720x", "x576", "0x576", "720x0", "-720x576", "720x-576",
                          "16385x16", "16x16385", "720x576x3", "7 20x576", "99999999999x1",
                          "720*576"}) {
    EXPECT_FALSE(Parse({"--format", "bgr24", "--size", bad}).Ok()) << bad;
  }
  EXPECT_TRUE(Parse({"--format", "bgr24", "--size", "16384X1"}).Ok());
}

TEST(HostOptions, RawFormatsNeedASizeAndYuvAnEvenWidth) {
  EXPECT_FALSE(Parse({"--format", "yuyv422"}).Ok());
  EXPECT_FALSE(Parse({"--format", "bgr24"}).Ok());
  EXPECT_FALSE(Parse({"--format", "yuyv422", "--size", "719x576"}).Ok());
  EXPECT_TRUE(Parse({"--format", "bgr24", "--size", "719x576"}).Ok());
  EXPECT_TRUE(Parse({"--format", "y4m"}).Ok());
  // The order of the options does not matter.
  EXPECT_TRUE(Parse({"--size", "720x576", "--format", "yuyv422"}).Ok());
}

TEST(HostOptions, RefusesUnknownInputWithAMessage) {
  for (const std::vector<std::string>& bad :
       std::vector<std::vector<std::string>>{{"--format", "yuv420p"},
                                             {"--bogus"},
                                             {"stray"},
                                             {"-"},
                                             {"-i"},
                                             {"--channel", "1e3"},
                                             {"--channel", "9223372036854775808"},
                                             {"--cpu-level", "4294967296"},
                                             {"--name", std::string(256, 'n')}}) {
    const ParsedOptions parsed = Parse(bad);
    EXPECT_FALSE(parsed.Ok()) << bad[0];
    EXPECT_FALSE(parsed.error.empty());
  }
  EXPECT_TRUE(Parse({"--name", std::string(255, 'n')}).Ok());
}

TEST(HostOptions, SettingsAndSnapshotsAreKeptAsGiven) {
  const ParsedOptions parsed =
      Parse({"--settings", "C:\\logos\\my.ini", "--save-settings", "--snapshot", "12:a.png",
             "--snapshot=0:C:\\out\\b.png", "--snapshot", "12:a.png"});
  ASSERT_TRUE(parsed.Ok()) << parsed.error;
  const HostOptions& o = parsed.options;
  EXPECT_EQ(o.settingsPath, "C:\\logos\\my.ini");
  EXPECT_TRUE(o.saveSettings);
  ASSERT_EQ(o.snapshots.size(), 3u);
  EXPECT_EQ(o.snapshots[0].frame, 12);
  EXPECT_EQ(o.snapshots[0].path, "a.png");
  EXPECT_EQ(o.snapshots[1].frame, 0);
  EXPECT_EQ(o.snapshots[1].path, "C:\\out\\b.png") << "only the first colon separates";
  EXPECT_EQ(o.snapshots[2].path, "a.png");
  const HostOptions defaults = Parse({}).options;
  EXPECT_TRUE(defaults.settingsPath.empty());
  EXPECT_FALSE(defaults.saveSettings);
  EXPECT_TRUE(defaults.snapshots.empty());
}

TEST(HostOptions, RefusesBadSnapshotsAndSavingWithoutASettingsFile) {
  for (const char* bad : {"", "5", "5:", ":a.png", "-1:a.png", "x:a.png", "1.5:a.png",
                          "99999999999999999999:a.png", "3:-"}) {
    EXPECT_FALSE(Parse({"--snapshot", bad}).Ok()) << bad;
  }
  EXPECT_FALSE(Parse({"--settings", ""}).Ok());
  EXPECT_FALSE(Parse({"--settings"}).Ok());
  const ParsedOptions save = Parse({"--save-settings"});
  EXPECT_FALSE(save.Ok());
  EXPECT_NE(save.error.find("--settings"), std::string::npos) << save.error;
  EXPECT_TRUE(Parse({"--save-settings", "--settings", "x.ini"}).Ok()) << "in any order";
  EXPECT_FALSE(Parse({"--save-settings=1", "--settings", "x.ini"}).Ok()) << "a switch takes no value";
}

TEST(HostOptions, HelpSkipsTheCombinationChecks) {
  const ParsedOptions parsed = Parse({"--format", "bgr24", "--help"});
  ASSERT_TRUE(parsed.Ok());
  EXPECT_TRUE(parsed.options.help);
}

TEST(DetectOptions, ReadsValuesAndRefusesNonsense) {
  const auto good = ParseDetectOptions({"-i", "in.y4m", "--frames=100", "--step", "2", "--key",
                                        "#0080FF", "--write", "-5", "--settings", "my.ini",
                                        "-inst:3"});
  ASSERT_TRUE(good.Ok()) << good.error;
  EXPECT_EQ(good.options.frames, 100);
  EXPECT_EQ(good.options.step, 2);
  EXPECT_EQ(*good.options.key, 16744448u);  // R 0 G 128 B 255
  EXPECT_EQ(*good.options.writeChannel, -5);

  for (const std::vector<std::string>& bad :
       {std::vector<std::string>{"--frames", "0"}, {"--frames", "-3"}, {"--step", "x"},
        {"--margin", "1"}, {"--key", "16777216"}, {"--key", "#12345"}, {"--settings", "a.ini"},
        {"--format", "bgr24"}, {"--mask", "-"}, {"--write"}, {"stray"}, {"-o", "out"}}) {
    EXPECT_FALSE(ParseDetectOptions(bad).Ok()) << bad.front();
  }
}

}  // namespace
}  // namespace kestrimo
