// Draws the ellipse of a dilation element on a bitmap surface: on Windows
// with the windowing system's drawing functions on a memory drawing context,
// elsewhere with our own rasteriser (platform/EllipseRaster.h).
#pragma once

#include <cstdint>

#include "platform/DibSection.h"

namespace kestrimo {

// Paints the box {0, 0, 2 rx + 1, 2 ry + 1} of the surface black, draws the
// white ellipse inscribed in it (one-pixel white outline, white fill, right
// and bottom edges of the box excluded) and sets the centre pixel (rx, ry)
// white. `pixels` is the surface's block of allocWidth x allocHeight pixels,
// stored bottom-up; lit pixels read 0x00FFFFFF afterwards, the rest of the box
// 0. Returns false, drawing nothing, when the surface is missing, a radius is
// negative or the box does not fit the surface.
bool DrawEllipse(const DibSection& surface, std::uint32_t* pixels, std::int32_t allocWidth,
                 std::int32_t allocHeight, std::int32_t rx, std::int32_t ry);

}  // namespace kestrimo
