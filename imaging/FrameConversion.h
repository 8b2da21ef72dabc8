// Moving pixels between the host's frame and a 32-bit working image: a
// rectangle of the frame is lifted into the work buffer in one of four pixel
// layouts, and a 32-bit image is blended back over the frame.
//
// Frames: FrameMode 0 is packed 4:2:2 (groups Y0, U, Y1, V), rows top-down,
// 2 * width bytes apart; FrameMode 1 is B, G, R, rows bottom-up, 3 * width
// bytes apart. The 32-bit side is top-down for the YUV layouts and bottom-up
// for the BGR ones.
#pragma once

#include <cstdint>

#include "imaging/ConversionKernels.h"
#include "base/FrameGeometry.h"
#include "base/ImageView.h"
#include "base/Rect.h"

namespace kestrimo {

// The meaning of the four bytes of a work pixel, in memory order.
enum WorkLayout : int {
  kLayoutYuv = 11,       // Y, U, Y, V        top-down
  kLayoutYuvAlpha = 9,   // Y, U, alpha, V    top-down
  kLayoutBgrLuma = 3,    // B, G, R, Y        bottom-up
  kLayoutBgrAlpha = 4,   // B, G, R, alpha    bottom-up
};

// Converts the frame area whose top-left corner is `position` (frame
// coordinates, may lie outside) and whose size is that of the work view's
// rectangle into that rectangle of the work buffer. Only the part inside both
// the frame and the buffer's allocation is written. Every (mode, layout) pair
// is supported.
void ExtractArea(const std::uint8_t* frame, const FrameGeometry& geometry, Point position,
                 ImageView work, std::int32_t layout);

// The row routine that converts rows of a frame of `mode` to `layout`; null
// for a layout that is none of the four.
ExtractRowFn ExtractRoutine(const ConversionKernels& kernels, std::int32_t mode, std::int32_t layout);

// Blends the source view's rectangle of a 32-bit image over the frame area at
// `position`, with the per-pixel alpha of the source and `opacityPercent`
// (0..100; values outside are limited to it). Supported: layout 9 or 4 over
// FrameMode 0, layout 4 over FrameMode 1; anything else writes nothing.
void WriteBackArea(std::uint8_t* frame, const FrameGeometry& geometry, Point position,
                   ConstImageView source, std::int32_t layout, std::int32_t opacityPercent);

}  // namespace kestrimo
