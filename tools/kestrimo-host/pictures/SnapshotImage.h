// Turns a frame in the plug-in's layout into RGB rows: the one colour
// conversion behind every picture the tool writes (snapshots, overlays).
#pragma once

#include <cstddef>
#include <cstdint>

#include "tools/kestrimo-host/stream/StreamFormat.h"

namespace kestrimo {

// One pixel pair of YUY2 (Y0 U Y1 V) to two RGB pixels, full-range BT.601:
// Y, U and V are taken as 0..255 with no studio-range stretch, and
//   R = Y + 1.402 (V - 128)
//   G = Y - 0.344136 (U - 128) - 0.714136 (V - 128)
//   B = Y + 1.772 (U - 128)
// in 16-bit fixed point, rounded, clamped to 0..255.
void Yuy2PairToRgb(const std::uint8_t* yuyv, std::uint8_t* rgb);

// Writes the frame as top-down RGB rows into `rgb`, rows `stride` bytes apart.
// YUY2 frames are top-down; BGR24 frames are bottom-up and are flipped here.
void FrameToRgb(StreamFormat format, FrameSize size, const std::uint8_t* frame,
                std::uint8_t* rgb, std::size_t stride);

}  // namespace kestrimo
