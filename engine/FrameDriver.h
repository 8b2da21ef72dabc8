// The per-frame entry point: channel tracking, then the frame's processing.
#pragma once

#include <cstdint>

#include "model/HostRecords.h"
#include "engine/PluginState.h"

namespace kestrimo {

// The frame blur's widths: ScreenBlur is a width in reference-raster pixels
// (768 x 576), scaled to the frame. Each is the product's value in double
// (with the single-precision numbers nearest to 1/768 and 1/576) rounded to
// float, computed in integers so that no target's x87 unit takes part.
struct BlurWidths {
  float horizontal;
  float vertical;
};
BlurWidths ScreenBlurWidths(std::int32_t frameWidth, std::int32_t frameHeight,
                            std::uint32_t screenBlur);

// 0 when there is no frame or no SSE (frame untouched), 1 otherwise.
std::int32_t ProcessFrame(PluginState& state, const FrameInfo* frame);

}  // namespace kestrimo
