// The settings file through the real library's exports: a prepared file is
// read by Plugin_Init, frames of several channels arrive, and Plugin_Done
// writes it back with the channels the host still knows. The test program is
// the host here, so the file lives in a Plugins folder beside it (or in the
// user's application-data folder, or in an instance's folder).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/ModuleInfo.h"
#include "tests/integration/PluginLibrary.h"
#include "tests/integration/SettingsRoundTrip.h"
#include "tests/settings/SettingsTestFiles.h"

namespace kestrimo::testing {
namespace {

namespace fs = std::filesystem;

std::vector<ChannelId> asked;

// Forgets 777, -9, 1 and 2; ids 1 and 2 are kept all the same.
std::int32_t KESTRIMO_CDECL HostKnows(ChannelId id) {
  asked.push_back(id);
  return id == 123 || id == 500 || id == -5 ? 1 : 0;
}

// Mixed line ends, a DEFAULT before COMMON, a channel the host forgets, a
// value with blanks.
constexpr const char* kPrepared =
    "[DEFAULT]\r\nMaskFileName=\r\nMaskPosX=200\r\nMaskPosY=100\r\nOpacity=80\r\nProcEnable=1\r\n"
    "[COMMON]\nDlgWndPosX=412\nDlgWndPosY=160\n"
    "[123]\r\nMaskPosX=300\r\nColorKey=255\r\nProcEnable=1\r\n"
    "[777]\nMaskFileName=C:\\logos\\gone.bmp\n"
    "[2]\r\nMaskFileName=C:\\logos\\two files\\a.bmp  \r\nExpandX=-4\r\n"
    "[-5]\nScreenBlur=3\nEdgeBlur=2";

// A channel section: the table defaults with some values replaced.
std::string Section(const std::string& id, const std::map<std::string, std::string>& values) {
  static const char* const kKeys[][2] = {
      {"MaskFileName", ""}, {"MaskPosX", "110"},     {"MaskPosY", "95"},   {"RectMaskSizeX", "100"},
      {"RectMaskSizeY", "70"}, {"ExpandX", "0"},     {"ExpandY", "0"},     {"Opacity", "60"},
      {"InvertMask", "0"},  {"ShowMask", "1"},       {"ColorKey", "16744448"},
      {"ScreenBlur", "0"},  {"EdgeBlur", "0"},       {"ProcEnable", "0"}};
  std::string text = "[" + id + "]\r\n";
  for (const auto& [key, fallback] : kKeys) {
    const auto found = values.find(key);
    text += std::string(key) + "=" + (found != values.end() ? found->second : fallback) + "\r\n";
  }
  return text;
}

std::string Expected() {
  const std::map<std::string, std::string> fromDefault = {
      {"MaskPosX", "200"}, {"MaskPosY", "100"}, {"Opacity", "80"}, {"ProcEnable", "1"}};
  return "[COMMON]\r\nDlgWndPosX=412\r\nDlgWndPosY=160\r\n" +
         Section("123", {{"MaskPosX", "300"}, {"ColorKey", "255"}, {"ProcEnable", "1"}}) +
         Section("2", {{"MaskFileName", "C:\\logos\\two files\\a.bmp  "}, {"ExpandX", "-4"}}) +
         Section("-5", {{"ScreenBlur", "3"}, {"EdgeBlur", "2"}}) + Section("500", fromDefault) +
         Section("1", fromDefault);
}

fs::path ProgramFolder() {
  std::string path = OwnModulePath();  // this code lives in the test program
  std::replace(path.begin(), path.end(), '\\', static_cast<char>(fs::path::preferred_separator));
  return fs::path(path).parent_path();
}

fs::path AppDataFolder() {
#if defined(_WIN32)
  const char* folder = std::getenv("APPDATA");
#else
  const char* folder = std::getenv("XDG_CONFIG_HOME");
#endif
  return folder != nullptr ? fs::path(folder) : fs::path();
}

class SettingsRoundTrip : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(DescriptorExport(), nullptr) << LoadError();
    plugin = DescriptorExport()();
  }
  void TearDown() override {
    // Remove what the run made, folders only when they are empty again.
    std::error_code error;
    for (const fs::path& path : made) fs::remove(path, error);
  }
  static bool Scenario(const std::string& name) { return roundTripScenario == name; }
  // Makes the folders a host would have made, up to and without Plugins.
  void MakeHostFolders(const fs::path& base, const std::vector<std::string>& levels) {
    fs::path path = base;
    for (const std::string& level : levels) {
      path /= level;
      if (fs::create_directory(path)) made.insert(made.begin(), path);
    }
  }
  void Prepare(const fs::path& plugins, const char* content) {
    if (fs::create_directory(plugins)) made.insert(made.begin(), plugins);
    made.insert(made.begin(), plugins / "KRD_Kestrimo.ini");
    if (content != nullptr) WriteBytes(plugins / "KRD_Kestrimo.ini", content);
    else fs::remove(plugins / "KRD_Kestrimo.ini");
  }
  void Send(ChannelId id) {
    std::vector<std::uint8_t> pixels(64 * 48 * 2, 0x80);
    ChannelInfo channel{};
    channel.id = id;
    std::strcpy(channel.name, "Channel");
    FrameInfo frame{};
    frame.pixels = pixels.data();
    frame.channel = &channel;
    EXPECT_EQ(plugin->processFrame(&frame), 1);
  }
  // One life of the library: the file is read, frames of known and new
  // channels arrive, the file is written.
  void Run() {
    PluginHostInfo host{0, &HostKnows};
    plugin->init(&host);
    VideoFormat format{64, 48, 0, 0, 3};
    plugin->setFormat(&format);
    for (ChannelId id : {123, 500, -9, 1, 123, 500}) Send(id);
    asked.clear();
    plugin->done();
  }
  void ExpectRoundTrip(const fs::path& plugins) {
    EXPECT_EQ(ReadBytes(plugins / "KRD_Kestrimo.ini"), Expected());
    EXPECT_EQ(asked, (std::vector<ChannelId>{123, 777, 2, -5, 500, -9, 1}));
    EXPECT_FALSE(fs::exists(plugins / "KRD_Kestrimo.ini.tmp"));
  }
  // The file of the default place was neither made nor read.
  void ExpectProgramFolderUntouched() {
    EXPECT_FALSE(fs::exists(ProgramFolder() / "Plugins" / "KRD_Kestrimo.ini"));
  }

  PluginDescriptor* plugin = nullptr;
  std::vector<fs::path> made;  // innermost first
};

TEST_F(SettingsRoundTrip, ProgramFolder) {
  if (!Scenario("program")) GTEST_SKIP() << "scenario " << roundTripScenario;
  const fs::path plugins = ProgramFolder() / "Plugins";
  Prepare(plugins, kPrepared);
  Run();
  ExpectRoundTrip(plugins);
}

// No file and no Plugins folder: the plug-in makes both, and the new channels
// get the table defaults.
TEST_F(SettingsRoundTrip, FreshProgramFolder) {
  if (!Scenario("fresh")) GTEST_SKIP() << "scenario " << roundTripScenario;
  const fs::path plugins = ProgramFolder() / "Plugins";
  std::error_code error;
  fs::remove_all(plugins, error);
  made = {plugins / "KRD_Kestrimo.ini", plugins};
  Run();
  EXPECT_EQ(ReadBytes(plugins / "KRD_Kestrimo.ini"),
            "[COMMON]\r\nDlgWndPosX=-100\r\nDlgWndPosY=-100\r\n" + Section("123", {}) +
                Section("500", {}) + Section("1", {}));
  EXPECT_EQ(asked, (std::vector<ChannelId>{123, 500, -9, 1}));
}

TEST_F(SettingsRoundTrip, InstanceFolder) {
  if (!Scenario("instance")) GTEST_SKIP() << "scenario " << roundTripScenario;
  MakeHostFolders(ProgramFolder(), {"Instances", "3"});
  const fs::path plugins = ProgramFolder() / "Instances" / "3" / "Plugins";
  Prepare(plugins, kPrepared);
  Run();
  ExpectRoundTrip(plugins);
  ExpectProgramFolderUntouched();
}

TEST_F(SettingsRoundTrip, UserFolder) {
  if (!Scenario("user")) GTEST_SKIP() << "scenario " << roundTripScenario;
  ASSERT_FALSE(AppDataFolder().empty());
  fs::create_directories(AppDataFolder());
  MakeHostFolders(AppDataFolder(), {"Telvaro"});
  const fs::path plugins = AppDataFolder() / "Telvaro" / "Plugins";
  Prepare(plugins, kPrepared);
  Run();
  ExpectRoundTrip(plugins);
  ExpectProgramFolderUntouched();
}

}  // namespace
}  // namespace kestrimo::testing
