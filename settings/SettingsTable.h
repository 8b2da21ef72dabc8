// The fourteen persisted values of a channel: key, type and default of each,
// in the order of the lines of every channel section.
#pragma once

#include <array>

#include "model/ChannelSettings.h"
#include "settings/SettingEntry.h"

namespace kestrimo {

constexpr std::size_t kSettingsTableSize = 14;
using SettingsTable = std::array<SettingEntry, kSettingsTableSize>;

// The table with every entry pointing into record (the staging record of the
// load and the save).
SettingsTable MakeSettingsTable(ChannelSettings& record);

}  // namespace kestrimo
