// The current frame format, and the scaling from the 768 x 576 reference
// raster, in which every mask position and size is kept, to frame pixels.
#pragma once

#include <cstdint>

#include "base/Rect.h"

namespace kestrimo {

constexpr std::int32_t kReferenceWidth = 768;
constexpr std::int32_t kReferenceHeight = 576;

// FrameMode values.
constexpr std::int32_t kFrameModeYuy2 = 0;  // packed 4:2:2, rows top-down
constexpr std::int32_t kFrameModeBgr = 1;   // 24-bit B, G, R, rows bottom-up

// The frame columns that the area operations reach: in YUY2 only whole 4:2:2
// groups, so an odd width's last column is left out.
constexpr std::int32_t ReachableWidth(std::int32_t width, std::int32_t mode) {
  return mode == kFrameModeYuy2 ? width & ~1 : width;
}

class FrameGeometry {
 public:
  void SetFrameFormat(std::int32_t width, std::int32_t height, std::int32_t mode);

  // Reference-raster point or size to frame pixels; both axes independently.
  Point ScalePoint(Point p) const;
  Size ScaleSize(Size s) const;

  std::int32_t mode = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
};

}  // namespace kestrimo
