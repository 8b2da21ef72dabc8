// The six entry points of the descriptor, working on a given PluginState.
// host/Exports.cpp binds them to the process-wide state for the host.
#pragma once

#include <cstdint>

#include "host/HostRecords.h"
#include "host/PluginState.h"

namespace kestrimo {

void PluginInit(PluginState& state, const PluginHostInfo* hostInfo);
std::int32_t PluginSetFormat(PluginState& state, const VideoFormat* format);
void PluginReserved(PluginState& state);
void PluginShowSettings(PluginState& state, const SettingsRequest* request);
void PluginDone(PluginState& state);

}  // namespace kestrimo
