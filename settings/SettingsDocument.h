// What the settings file holds, and the file itself: the channel records, the
// defaults for channels not seen before, and the settings window's last place.
#pragma once

#include <algorithm>
#include <cstdint>

#include "model/ChannelSettings.h"
#include "settings/ProfileFile.h"

namespace kestrimo {

struct SettingsDocument {
  ChannelSettingsList ChannelList;
  ChannelSettings DefaultSettings;
  // The settings window's last screen position; -100 each when none is known.
  std::int32_t DlgWndPosX = -100;
  std::int32_t DlgWndPosY = -100;
  ProfileFile Profile;  // read at start, written at the end

  // The channel's record, or the defaults a channel seen first takes.
  const ChannelSettings& RecordOf(ChannelId id) const {
    const auto found = std::find_if(ChannelList.begin(), ChannelList.end(),
                                    [id](const ChannelSettings& r) { return r.Id == id; });
    return found != ChannelList.end() ? *found : DefaultSettings;
  }
};

}  // namespace kestrimo
