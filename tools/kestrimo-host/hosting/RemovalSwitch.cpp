#include "tools/kestrimo-host/hosting/RemovalSwitch.h"

#include <algorithm>

#include "settings/SettingsPersistence.h"

namespace kestrimo {
namespace {

std::string ListText(const std::vector<ChannelId>& channels) {
  std::string text;
  for (ChannelId id : channels) text += (text.empty() ? "" : ", ") + std::to_string(id);
  return text;
}

}  // namespace

std::vector<ChannelId> ChannelsWithRemovalOff(const std::string& settingsPath,
                                              const std::vector<ChannelId>& channels) {
  SettingsDocument document;
  if (!settingsPath.empty()) {
    SettingsLocation location;
    location.path = settingsPath;
    document.Profile.SetLocation(location);
    ReadSettings(document);
  }
  std::vector<ChannelId> off;
  for (ChannelId id : channels) {
    if (std::find(off.begin(), off.end(), id) != off.end()) continue;
    if (document.RecordOf(id).ProcEnable == 0) off.push_back(id);
  }
  return off;
}

std::string RemovalOffNotice(const std::vector<ChannelId>& channels) {
  if (channels.empty()) return {};
  const bool one = channels.size() == 1;
  const std::string section = one ? "[" + std::to_string(channels.front()) + "]" : "of the channel";
  const std::string id = one ? std::to_string(channels.front()) : "ID";
  return std::string("removal is off for channel") + (one ? " " : "s ") + ListText(channels) +
         ": " + (one ? "its" : "their") + " frames pass unchanged. To switch it on, give "
         "--settings FILE with ProcEnable=1 and the logo's area in the section " + section +
         ", or let 'kestrimo-host detect -i CLIP --write " + id + "' find the logo and write them";
}

}  // namespace kestrimo
