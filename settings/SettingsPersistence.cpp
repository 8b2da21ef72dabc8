#include "settings/SettingsPersistence.h"

#include <string>

#include "settings/DecimalText.h"
#include "settings/SettingsLocator.h"
#include "settings/SettingsTable.h"

namespace kestrimo {
namespace {

// Ends a pass that an exception left open, without writing anything.
class PassGuard {
 public:
  explicit PassGuard(ProfileFile& file) : file_(file) {}
  ~PassGuard() { file_.Abandon(); }
  PassGuard(const PassGuard&) = delete;
  PassGuard& operator=(const PassGuard&) = delete;

 private:
  ProfileFile& file_;
};

// Without a host callback nothing is known to be gone, so all is kept.
bool KeepRecord(ChannelExistsProc channelExists, ChannelId id) {
  const bool known = channelExists == nullptr || channelExists(id) != 0;
  return known || id == 1 || id == 2;
}

// Keys that a section holds only where they are set, so that a file written
// without them stays byte for byte as it was.
constexpr const char* kLogoModelKey = "LogoModelFile";
constexpr const char* kPresenceKey = "LogoPresenceCheck";
constexpr const char* kSeeThroughKey = "LogoSeeThrough";

void ReadOptionalKeys(ProfileFile& file, std::string_view section, ChannelSettings& record) {
  std::string text;
  if (!file.GetValue(section, kLogoModelKey, text)) text.clear();
  record.LogoModelFile = text;
  if (!file.GetValue(section, kPresenceKey, text)) text.clear();
  record.LogoPresenceCheck = ParseAtoi(text) != 0 ? 1 : 0;
  if (!file.GetValue(section, kSeeThroughKey, text)) text.clear();
  record.LogoSeeThrough = ParseAtoi(text) != 0 ? 1 : 0;
}

void WriteOptionalKeys(ProfileFile& file, const ChannelSettings& record) {
  if (!record.LogoModelFile.empty()) file.WriteValue(kLogoModelKey, record.LogoModelFile);
  if (record.LogoPresenceCheck != 0) file.WriteValue(kPresenceKey, "1");
  if (record.LogoSeeThrough != 0) file.WriteValue(kSeeThroughKey, "1");
}

}  // namespace

void LoadSettings(SettingsDocument& document) {
  document.Profile.SetLocation(LocateSettingsFile(document.Profile.Files()));
  ReadSettings(document);
}

void ReadSettings(SettingsDocument& document) {
  // A second load (the host may initialise the plug-in again) replaces the
  // records instead of adding the file's channels once more.
  document.ChannelList.clear();
  ProfileFile& file = document.Profile;
  PassGuard guard(file);
  file.BeginRead();
  ChannelSettings staging;
  const SettingsTable table = MakeSettingsTable(staging);
  ReadTable(file, "DEFAULT", table);
  ReadOptionalKeys(file, "DEFAULT", staging);
  document.DefaultSettings = staging;
  ReadLong(file, "COMMON", "DlgWndPosX", document.DlgWndPosX, -100);
  ReadLong(file, "COMMON", "DlgWndPosY", document.DlgWndPosY, -100);
  std::string name;
  while (file.NextSection(name)) {
    ReadTable(file, name, table);
    ReadOptionalKeys(file, name, staging);
    staging.Id = ParseAtoi64(name);
    document.ChannelList.push_back(staging);
  }
  file.EndPass();
}

bool WriteSettings(ProfileFile& file, const ChannelSettingsList& channels,
                   const SaveOptions& options) {
  if (!file.BeginWrite()) return false;
  PassGuard guard(file);
  ChannelSettings staging;
  const SettingsTable table = MakeSettingsTable(staging);
  // DEFAULT goes before COMMON: the sections after the last of the two are
  // read as channels.
  if (options.defaults != nullptr) {
    file.WriteSection("DEFAULT");
    staging = *options.defaults;
    WriteTable(file, table);
    WriteOptionalKeys(file, staging);
  }
  file.WriteSection("COMMON");
  WriteLong(file, "DlgWndPosX", options.dlgWndPosX);
  WriteLong(file, "DlgWndPosY", options.dlgWndPosY);
  for (const ChannelSettings& channel : channels) {
    if (!KeepRecord(options.channelExists, channel.Id)) continue;
    staging = channel;
    file.WriteChannelSection(staging.Id);
    WriteTable(file, table);
    WriteOptionalKeys(file, staging);
  }
  return file.EndPass();
}

}  // namespace kestrimo
