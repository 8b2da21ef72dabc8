// The brightness plane of a frame in the plug-in's layout, rows top-down.
#pragma once

#include <cstdint>

#include "tools/kestrimo-host/stream/StreamFormat.h"

namespace kestrimo {

// Writes width x height luma bytes: the Y samples of a YUY2 frame, or
// (77 R + 150 G + 29 B + 128) / 256 of a bottom-up BGR24 frame.
void FrameLuma(StreamFormat format, FrameSize size, const std::uint8_t* frame,
               std::uint8_t* luma);

}  // namespace kestrimo
