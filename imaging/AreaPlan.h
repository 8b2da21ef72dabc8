// Where the rows of one transfer between a frame and a 32-bit work image lie,
// after clipping: the planning that the frame conversion and the fused passes
// of the removal chain share.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/FrameGeometry.h"
#include "base/Rect.h"

namespace kestrimo {

// Where the rows of one call lie, after clipping.
struct AreaPlan {
  // Frame side.
  std::ptrdiff_t framePitch = 0;
  std::int32_t frameHeight = 0;
  std::int32_t frameBytesPerPixel = 0;
  bool frameBottomUp = false;
  Rect frameRect;
  // 32-bit side.
  std::ptrdiff_t workPitch = 0;  // in pixels
  std::int32_t workHeight = 0;
  bool workBottomUp = false;
  Rect workRect;

  // A 4:2:2 row starting on a group's second pixel is addressed from the
  // group's start.
  bool OddStart() const { return frameBytesPerPixel == 2 && (frameRect.left & 1) != 0; }

  std::ptrdiff_t FrameOffset(std::int32_t r) const {
    const std::int32_t y = frameRect.top + r;
    const std::int32_t memoryRow = frameBottomUp ? frameHeight - 1 - y : y;
    const std::int32_t column = frameRect.left - (OddStart() ? 1 : 0);
    return framePitch * memoryRow + std::ptrdiff_t{frameBytesPerPixel} * column;
  }

  std::ptrdiff_t WorkOffset(std::int32_t r) const {  // in pixels
    const std::int32_t y = workRect.top + r;
    const std::int32_t memoryRow = workBottomUp ? workHeight - 1 - y : y;
    return workPitch * memoryRow + workRect.left;
  }
};

bool IsBottomUpLayout(std::int32_t layout);

// Checks the frame, the buffer and the area, and clips the area with the
// frame as rectangle A when `frameFirst`, else with the buffer as A. False
// when nothing is to be done.
bool PlanArea(const FrameGeometry& geometry, Point position, Size alloc, const Rect& rect,
              std::int32_t layout, bool frameFirst, AreaPlan& plan);

}  // namespace kestrimo
