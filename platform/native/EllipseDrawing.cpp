#include "platform/EllipseDrawing.h"

#include "platform/EllipseRaster.h"

namespace kestrimo {

// The stand-in surface is its pixel block: our own rasteriser draws into it.
bool DrawEllipse(const DibSection& surface, std::uint32_t* pixels, std::int32_t allocWidth,
                 std::int32_t allocHeight, std::int32_t rx, std::int32_t ry) {
  if (surface.Handle() == nullptr) return false;
  return RasteriseEllipse(pixels, allocWidth, allocHeight, rx, ry);
}

}  // namespace kestrimo
