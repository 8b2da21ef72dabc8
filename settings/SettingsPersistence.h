// The load of the settings file at start and its save at the end.
#pragma once

#include <cstdint>

#include "model/ChannelSettings.h"
#include "model/HostRecords.h"
#include "settings/SettingsDocument.h"

namespace kestrimo {

// Locates the settings file for the running host, then reads it.
void LoadSettings(SettingsDocument& document);

// Reads the file at document.Profile's location: "DEFAULT" into
// DefaultSettings (table defaults for missing keys), "COMMON" into the
// settings window's position, and every section the walk meets after the last
// header found ("COMMON" in a saved file) as a channel record of ChannelList,
// which it replaces, with table defaults for its missing keys.
void ReadSettings(SettingsDocument& document);

// What a save writes besides the channel records.
struct SaveOptions {
  std::int32_t dlgWndPosX = -100;
  std::int32_t dlgWndPosY = -100;
  // Written as "DEFAULT" before "COMMON" when set.
  const ChannelSettings* defaults = nullptr;
  // Asked about every record; a record it denies is left out unless its id
  // is 1 or 2. Without it every record is written.
  ChannelExistsProc channelExists = nullptr;
};

// Writes "COMMON" and one section per record kept. The file is replaced as a
// whole or not at all; false when it was not replaced.
bool WriteSettings(ProfileFile& file, const ChannelSettingsList& channels,
                   const SaveOptions& options);

}  // namespace kestrimo
