#include "imaging/AreaPlan.h"

#include <cstdint>

#include "base/ClipRectPair.h"
#include "imaging/FrameConversion.h"

namespace kestrimo {
namespace {

bool FitsAddressRange(std::int64_t rowBytes, std::int64_t rows) {
  return rowBytes > 0 && rows > 0 && rowBytes <= PTRDIFF_MAX / rows;
}

}  // namespace

bool IsBottomUpLayout(std::int32_t layout) {
  return layout == kLayoutBgrLuma || layout == kLayoutBgrAlpha;
}

bool PlanArea(const FrameGeometry& geometry, Point position, Size alloc, const Rect& rect,
              std::int32_t layout, bool frameFirst, AreaPlan& plan) {
  // With an odd YUY2 width the last column's group would reach into the next
  // row (or past the frame): only whole groups are used.
  const std::int32_t clipWidth = ReachableWidth(geometry.width, geometry.mode);
  if (geometry.mode == kFrameModeYuy2) {
    plan.frameBytesPerPixel = 2;
  } else if (geometry.mode == kFrameModeBgr) {
    plan.frameBytesPerPixel = 3;
    plan.frameBottomUp = true;
  } else {
    return false;
  }
  const std::int64_t frameRowBytes = std::int64_t{plan.frameBytesPerPixel} * geometry.width;
  if (clipWidth <= 0 || !FitsAddressRange(frameRowBytes, geometry.height)) return false;
  if (!FitsAddressRange(std::int64_t{alloc.width} * 4, alloc.height)) return false;
  plan.framePitch = static_cast<std::ptrdiff_t>(frameRowBytes);
  plan.frameHeight = geometry.height;
  plan.workPitch = alloc.width;
  plan.workHeight = alloc.height;
  plan.workBottomUp = IsBottomUpLayout(layout);

  // The frame rectangle: the area's size at `position`, if it fits in 32 bits.
  const std::int64_t width = std::int64_t{rect.right} - rect.left;
  const std::int64_t height = std::int64_t{rect.bottom} - rect.top;
  const std::int64_t right = position.x + width;
  const std::int64_t bottom = position.y + height;
  if (width <= 0 || height <= 0 || right > INT32_MAX || bottom > INT32_MAX) return false;
  plan.frameRect = {position.x, position.y, static_cast<std::int32_t>(right),
                    static_cast<std::int32_t>(bottom)};
  plan.workRect = rect;

  const Size frameSize{clipWidth, geometry.height};
  return frameFirst ? ClipRectPair(plan.frameRect, frameSize, plan.workRect, alloc)
                    : ClipRectPair(plan.workRect, alloc, plan.frameRect, frameSize);
}

}  // namespace kestrimo
