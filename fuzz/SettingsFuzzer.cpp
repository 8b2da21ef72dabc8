// The settings file, loaded, saved and loaded again, through the settings
// layer's own reader and atomic save on files held in memory. The second load
// must give exactly what the first gave: every field of every channel record
// in order, the window position, and (since the save writes no "DEFAULT")
// the table defaults as the default settings. A second save must then write
// the same bytes as the first, and no save may leave its temporary file.
// Any difference aborts.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/MemoryFiles.h"
#include "settings/SettingsDocument.h"
#include "settings/SettingsPersistence.h"
#include "settings/TextLines.h"

namespace kestrimo {
namespace {

// Inputs of more sections are left out of the corpus: each section becomes
// a whole record in the save, whose reload costs a section lookup per key,
// and beyond a few dozen sections more of them only repeat the same paths
// ever slower.
constexpr std::size_t kMaxSections = 64;

const char* const kPath = "C:\\Host\\Plugins\\KRD_Kestrimo.ini";

SettingsLocation Location() {
  SettingsLocation location;
  location.folder = "C:\\Host\\Plugins\\";
  location.moduleName = "KRD_Kestrimo";
  location.fileName = "KRD_Kestrimo.ini";
  location.path = kPath;
  return location;
}

// Section headers of the input: lines whose first character other than a
// blank is "[".
std::size_t HeaderCount(const std::uint8_t* data, std::size_t size) {
  std::size_t count = 0;
  bool lineStart = true;
  for (std::size_t i = 0; i < size; ++i) {
    const char c = static_cast<char>(data[i]);
    if (c == '[' && lineStart) ++count;
    if (c == '\n') lineStart = true;
    else if (!IsBlank(c)) lineStart = false;
  }
  return count;
}

void Fail(const char* what) {
  std::fprintf(stderr, "settings round trip differs: %s\n", what);
  std::abort();
}

void Load(SettingsDocument& document, fuzzing::MemoryFiles& files) {
  document.Profile.SetFileSystem(files);
  document.Profile.SetLocation(Location());
  ReadSettings(document);
}

// As the plug-in saves at the end: "COMMON" with the window's place, then
// every record (no host here to deny one).
bool Save(SettingsDocument& document) {
  SaveOptions options;
  options.dlgWndPosX = document.DlgWndPosX;
  options.dlgWndPosY = document.DlgWndPosY;
  return WriteSettings(document.Profile, document.ChannelList, options);
}

void CheckSame(const SettingsDocument& first, const SettingsDocument& second) {
  if (first.ChannelList.size() != second.ChannelList.size()) Fail("number of channel records");
  for (std::size_t i = 0; i < first.ChannelList.size(); ++i)
    if (!(first.ChannelList[i] == second.ChannelList[i])) Fail("a channel record");
  if (first.DlgWndPosX != second.DlgWndPosX || first.DlgWndPosY != second.DlgWndPosY)
    Fail("window position");
  if (!(second.DefaultSettings == TableDefaults())) Fail("default settings after a save");
}

}  // namespace
}  // namespace kestrimo

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace kestrimo;
  if (HeaderCount(data, size) > kMaxSections) return -1;
  fuzzing::MemoryFiles files;
  files.Put(kPath, {reinterpret_cast<const char*>(data), size});

  SettingsDocument first;
  Load(first, files);
  if (!Save(first)) Fail("the save failed");
  const std::string saved = files.Content(kPath);
  if (files.FileCount() != 1) Fail("a temporary file left behind");

  SettingsDocument second;
  Load(second, files);
  CheckSame(first, second);
  if (!Save(second)) Fail("the second save failed");
  if (files.Content(kPath) != saved) Fail("second save's bytes");
  return 0;
}
