// Our own filled-ellipse rasteriser: the same pixels as the windowing
// system's ellipse drawing (outline and fill with a one-pixel pen) for the
// boxes where that drawing is well formed, on a 32-bit bottom-up canvas.
#pragma once

#include <cstdint>

namespace kestrimo {

// Largest radius drawn: the box stays within 16-bit coordinates and the
// error terms of the walk within 64 bits.
inline constexpr std::int32_t kMaxRasterRadius = 16383;

// Paints the box {0, 0, 2 rx + 1, 2 ry + 1} of a canvas of allocWidth x
// allocHeight pixels (picture row y at memory row allocHeight - 1 - y) black
// (0) and lights the filled ellipse inscribed in it with 0x00FFFFFF. The
// ellipse is symmetric about the centre pixel (rx, ry) both ways, each row
// holds one span, every row of the box is lit and so is the whole centre row.
// Nothing outside the box is written. Returns false, writing nothing, when
// the canvas is missing, a radius is negative or above kMaxRasterRadius, or
// the box does not fit the allocation.
bool RasteriseEllipse(std::uint32_t* pixels, std::int32_t allocWidth,
                      std::int32_t allocHeight, std::int32_t rx, std::int32_t ry);

}  // namespace kestrimo
