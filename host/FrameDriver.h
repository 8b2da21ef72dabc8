// The per-frame entry point: channel tracking, then the frame's processing.
#pragma once

#include <cstdint>

#include "host/HostRecords.h"
#include "host/PluginState.h"

namespace kestrimo {

// 0 when there is no frame or no SSE (frame untouched), 1 otherwise.
std::int32_t ProcessFrame(PluginState& state, const FrameInfo* frame);

}  // namespace kestrimo
