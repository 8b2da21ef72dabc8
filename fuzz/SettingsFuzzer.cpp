// The settings file, loaded, saved and loaded again. The second load must
// give exactly what the first gave: every field of every channel record in
// order, the window position, and (since the save writes no "DEFAULT") the
// table defaults as the default settings. A second save must then write
// the same bytes as the first. Any difference aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/FuzzScratch.h"
#include "engine/PluginState.h"
#include "engine/SettingsSave.h"
#include "settings/SettingsPersistence.h"

namespace kestrimo {
namespace {

SettingsLocation LocationOf(const std::string& path) {
  SettingsLocation location;
  location.folder = fuzzing::ScratchFolder();
  location.moduleName = "KRD_Kestrimo";
  location.fileName = "KRD_Kestrimo.ini";
  location.path = path;
  return location;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Fail(const char* what) {
  std::fprintf(stderr, "settings round trip differs: %s\n", what);
  std::abort();
}

void Load(PluginState& state, const std::string& path) {
  state.Profile.SetLocation(LocationOf(path));
  ReadSettings(state);
}

void CheckSame(const PluginState& first, const PluginState& second) {
  if (first.ChannelList.size() != second.ChannelList.size()) Fail("number of channel records");
  for (std::size_t i = 0; i < first.ChannelList.size(); ++i)
    if (!(first.ChannelList[i] == second.ChannelList[i])) Fail("a channel record");
  if (first.DlgWndPosX != second.DlgWndPosX ||
      first.DlgWndPosY != second.DlgWndPosY)
    Fail("window position");
  if (!(second.DefaultSettings == TableDefaults())) Fail("default settings after a save");
}

}  // namespace
}  // namespace kestrimo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrimo;
  const std::string path = fuzzing::WriteScratchFile("KRD_Kestrimo.ini", data, size);

  PluginState first;
  Load(first, path);
  if (!SaveSettings(first)) Fail("the save failed");
  const std::string saved = ReadFile(path);

  PluginState second;
  Load(second, path);
  CheckSame(first, second);
  if (!SaveSettings(second)) Fail("the second save failed");
  if (ReadFile(path) != saved) Fail("second save's bytes");
  return 0;
}
