// Whole-image alpha and colour-key passes over 32-bit pixels (bytes B, G, R,
// A). Each image comes as (pixel block, allocated size, rectangle); unless
// stated otherwise it is bottom-up and the pass covers the rectangle's width
// x height from visual row 0, column 0, cut to the allocation. Missing blocks
// and empty rectangles do nothing.
//
// Colour keys are Windows colour values 0x00BBGGRR; a pass compares the
// pixel's low 24 bits with KeyFromColour(colorKey) = 0x00RRGGBB.
#pragma once

#include <cstdint>

#include "base/ColourKey.h"

#include "base/Rect.h"

namespace kestrimo {

// Mask alpha (byte 3) into byte 2 of a top-down YUV work buffer, visual row
// for visual row. The area is the common part of both rectangles.
void CopyMaskAlphaToYuv(const std::uint32_t* maskPixels, Size maskAllocSize, const Rect& maskRect,
                        std::uint32_t* workPixels, Size workAllocSize, const Rect& workRect);

// Mask alpha (byte 3) into byte 3 of a bottom-up BGR work buffer.
void CopyMaskAlphaToBgr(const std::uint32_t* maskPixels, Size maskAllocSize, const Rect& maskRect,
                        std::uint32_t* workPixels, Size workAllocSize, const Rect& workRect);

// Every pixel whose colour differs from the key gets `alpha`; key pixels stay.
void SetAlphaOutsideKey(std::uint32_t* pixels, Size allocSize, const Rect& rect,
                        std::uint32_t colorKey, std::uint8_t alpha);

// Every pixel with a non-zero alpha gets the colour, its alpha kept.
void RecolourVisible(std::uint32_t* pixels, Size allocSize, const Rect& rect, std::uint32_t colour);

// Writes the opaque key into the destination, at dstPosition + (x, y), where
// source pixel (x, y) of srcRect equals the opaque key (invert false) or
// differs from it (invert true). Both sides are clipped to their allocations
// with ClipRectPair; the comparison includes the alpha byte.
void StampKeyColour(const std::uint32_t* srcPixels, Size srcAllocSize, const Rect& srcRect,
                    std::uint32_t* dstPixels, Size dstAllocSize, Point dstPosition,
                    std::uint32_t colorKey, bool invert);

}  // namespace kestrimo
