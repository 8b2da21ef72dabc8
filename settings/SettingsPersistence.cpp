#include "settings/SettingsPersistence.h"

#include <string>
#include <vector>

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

}  // namespace

void LoadSettings(PluginState& state) {
  state.Profile.SetLocation(LocateSettingsFile(state.Profile.Files()));
  ReadSettings(state);
}

void ReadSettings(PluginState& state) {
  ProfileFile& file = state.Profile;
  PassGuard guard(file);
  file.BeginRead();
  const SettingsTable table = MakeSettingsTable(state.StagingSettings);
  ReadTable(file, "DEFAULT", table);
  state.DefaultSettings = state.StagingSettings;
  ReadLong(file, "COMMON", "DlgWndPosX", state.SettingsWindow.DlgWndPosX, -100);
  ReadLong(file, "COMMON", "DlgWndPosY", state.SettingsWindow.DlgWndPosY, -100);
  std::string name;
  while (file.NextSection(name)) {
    ReadTable(file, name, table);
    state.StagingSettings.Id = ParseAtoi64(name);
    state.ChannelList.push_back(state.StagingSettings);
  }
  file.EndPass();
}

bool SaveSettings(PluginState& state) {
  // What is written is copied under the lock, so frames may go on meanwhile;
  // the host is asked about each channel without it.
  std::vector<ChannelSettings> channels;
  std::int32_t windowX = 0, windowY = 0;
  {
    LockHold hold(state.SettingsLock);
    channels = state.ChannelList;
    windowX = state.SettingsWindow.DlgWndPosX;
    windowY = state.SettingsWindow.DlgWndPosY;
  }
  ProfileFile& file = state.Profile;
  if (!file.BeginWrite()) return false;
  PassGuard guard(file);
  file.WriteSection("COMMON");
  WriteLong(file, "DlgWndPosX", windowX);
  WriteLong(file, "DlgWndPosY", windowY);
  ChannelSettings staging;
  const SettingsTable table = MakeSettingsTable(staging);
  for (const ChannelSettings& channel : channels) {
    if (!KeepRecord(state.ChannelExists, channel.Id)) continue;
    staging = channel;
    file.WriteChannelSection(staging.Id);
    WriteTable(file, table);
  }
  return file.EndPass();
}

}  // namespace kestrimo
