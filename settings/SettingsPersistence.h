// The load of the settings file at start and its save at the end.
#pragma once

#include "host/PluginState.h"

namespace kestrimo {

// Locates the settings file for the running host, then reads it.
void LoadSettings(PluginState& state);

// Reads the file at state.Profile's location: "DEFAULT" into DefaultSettings
// (table defaults for missing keys), "COMMON" into the settings window's
// position, and every section the walk meets after the last header found
// ("COMMON" in a saved file) as a channel record appended to ChannelList,
// with table defaults for its missing keys.
void ReadSettings(PluginState& state);

// Writes "COMMON" and one section per record that the host still knows (the
// host is asked for every record) or whose id is 1 or 2. The file is
// replaced as a whole or not at all; false when it was not replaced.
bool SaveSettings(PluginState& state);

}  // namespace kestrimo
