// The six entry points of the descriptor, working on a given PluginState.
// plugin/Exports.cpp binds them to the process-wide state for the host.
#pragma once

#include <cstdint>

#include "model/HostRecords.h"
#include "engine/PluginState.h"

namespace kestrimo {

void PluginInit(PluginState& state, const PluginHostInfo* hostInfo);
std::int32_t PluginSetFormat(PluginState& state, const VideoFormat* format);
void PluginReserved(PluginState& state);
void PluginShowSettings(PluginState& state, const SettingsRequest* request);
void PluginDone(PluginState& state);

}  // namespace kestrimo
