// What the settings file holds, and the file itself: the channel records, the
// defaults for channels not seen before, and the settings window's last place.
#pragma once

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
};

}  // namespace kestrimo
