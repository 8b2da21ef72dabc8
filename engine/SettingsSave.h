// The save of the plug-in's settings at the end.
#pragma once

#include "engine/PluginState.h"

namespace kestrimo {

// Writes "COMMON" and one section per record that the host still knows (the
// host is asked for every record) or whose id is 1 or 2. What is written is
// copied under the settings lock, so frames may go on meanwhile; the host is
// asked about each channel without it. False when the file was not replaced.
bool SaveSettings(PluginState& state);

}  // namespace kestrimo
