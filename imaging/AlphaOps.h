// Whole-image alpha and colour-key passes over 32-bit pixels (bytes B, G, R,
// A). Each image comes as a view; unless stated otherwise it is bottom-up and
// the pass covers the view rectangle's width x height from visual row 0,
// column 0, cut to the allocation. Missing pixels and empty rectangles do
// nothing.
//
// Colour keys are Windows colour values 0x00BBGGRR; a pass compares the
// pixel's low 24 bits with KeyFromColour(colorKey) = 0x00RRGGBB.
#pragma once

#include <cstdint>

#include "base/ColourKey.h"

#include "base/ImageView.h"
#include "base/Rect.h"

namespace kestrimo {

// Mask alpha (byte 3) into byte 2 of a top-down YUV work buffer, visual row
// for visual row. The area is the common part of both rectangles.
void CopyMaskAlphaToYuv(ConstImageView mask, ImageView work);

// Mask alpha (byte 3) into byte 3 of a bottom-up BGR work buffer.
void CopyMaskAlphaToBgr(ConstImageView mask, ImageView work);

// Every pixel whose colour differs from the key gets `alpha`; key pixels stay.
void SetAlphaOutsideKey(ImageView image, std::uint32_t colorKey, std::uint8_t alpha);

// Every pixel with a non-zero alpha gets the colour, its alpha kept.
void RecolourVisible(ImageView image, std::uint32_t colour);

// Writes the opaque key into the destination, at dstPosition + (x, y), where
// source pixel (x, y) of the source rectangle equals the opaque key (invert
// false) or differs from it (invert true). The destination is placed by
// position alone, its size that of the source rectangle, so the destination
// view's rectangle is not used. Both sides are clipped to their allocations
// with ClipRectPair; the comparison includes the alpha byte.
void StampKeyColour(ConstImageView source, ImageView destination, Point dstPosition,
                    std::uint32_t colorKey, bool invert);

}  // namespace kestrimo
