#include "base/FrameGeometry.h"

#include "base/MulDiv.h"

namespace kestrimo {

void FrameGeometry::SetFrameFormat(std::int32_t newWidth, std::int32_t newHeight,
                                   std::int32_t newMode) {
  width = newWidth;
  height = newHeight;
  mode = newMode;
}

Point FrameGeometry::ScalePoint(Point p) const {
  return {MulDiv(width, p.x, kReferenceWidth), MulDiv(height, p.y, kReferenceHeight)};
}

Size FrameGeometry::ScaleSize(Size s) const {
  return {MulDiv(width, s.width, kReferenceWidth), MulDiv(height, s.height, kReferenceHeight)};
}

}  // namespace kestrimo
