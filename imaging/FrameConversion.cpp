#include "imaging/FrameConversion.h"

#include <cstddef>
#include <cstdint>

#include "imaging/Kernels.h"
#include "base/ClipRectPair.h"

namespace kestrimo {
namespace {

bool FitsAddressRange(std::int64_t rowBytes, std::int64_t rows) {
  return rowBytes > 0 && rows > 0 && rowBytes <= PTRDIFF_MAX / rows;
}

bool IsBottomUpLayout(std::int32_t layout) {
  return layout == kLayoutBgrLuma || layout == kLayoutBgrAlpha;
}

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

// Checks the frame, the buffer and the area, and clips the area with the
// frame as rectangle A when `frameFirst`, else with the buffer as A. False
// when nothing is to be done.
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

ExtractRowFn ExtractRoutine(const ConversionKernels& k, std::int32_t mode, std::int32_t layout) {
  const bool yuy2 = mode == kFrameModeYuy2;
  switch (layout) {
    case kLayoutYuv: return yuy2 ? k.yuy2ToYuv : k.bgrToYuv;
    case kLayoutYuvAlpha: return yuy2 ? k.yuy2ToYuvAlpha : k.bgrToYuvAlpha;
    case kLayoutBgrLuma: return yuy2 ? k.yuy2ToBgrLuma : k.bgrToBgrLuma;
    case kLayoutBgrAlpha: return yuy2 ? k.yuy2ToBgrAlpha : k.bgrToBgrAlpha;
    default: return nullptr;
  }
}

WriteBackRowFn WriteBackRoutine(const ConversionKernels& k, std::int32_t mode,
                                std::int32_t layout) {
  if (mode == kFrameModeYuy2 && layout == kLayoutYuvAlpha) return k.yuvAlphaOverYuy2;
  if (mode == kFrameModeYuy2 && layout == kLayoutBgrAlpha) return k.bgrAlphaOverYuy2;
  if (mode == kFrameModeBgr && layout == kLayoutBgrAlpha) return k.bgrAlphaOverBgr;
  return nullptr;
}

}  // namespace

void ExtractArea(const std::uint8_t* frame, const FrameGeometry& geometry, Point position,
                 ImageView work, std::int32_t layout) {
  if (frame == nullptr || work.pixels == nullptr) return;
  const ExtractRowFn row = ExtractRoutine(KernelsInUse().conversion, geometry.mode, layout);
  AreaPlan plan;
  if (row == nullptr ||
      !PlanArea(geometry, position, work.alloc, work.rect, layout, true, plan))
    return;
  auto* workBytes = reinterpret_cast<std::uint8_t*>(work.pixels);
  const std::int32_t count = plan.frameRect.Width();
  const bool oddStart = plan.OddStart();
  for (std::int32_t r = 0; r < plan.frameRect.Height(); ++r)
    row(frame + plan.FrameOffset(r), workBytes + 4 * plan.WorkOffset(r), count, oddStart);
}

void WriteBackArea(std::uint8_t* frame, const FrameGeometry& geometry, Point position,
                   ConstImageView source, std::int32_t layout, std::int32_t opacityPercent) {
  if (frame == nullptr || source.pixels == nullptr) return;
  const WriteBackRowFn row = WriteBackRoutine(KernelsInUse().conversion, geometry.mode, layout);
  const std::int32_t p = OpacityScale(opacityPercent);
  AreaPlan plan;
  if (row == nullptr || p == 0 ||
      !PlanArea(geometry, position, source.alloc, source.rect, layout, false, plan))
    return;
  const auto* sourceBytes = reinterpret_cast<const std::uint8_t*>(source.pixels);
  const std::int32_t count = plan.frameRect.Width();
  const bool oddStart = plan.OddStart();
  for (std::int32_t r = 0; r < plan.frameRect.Height(); ++r)
    row(frame + plan.FrameOffset(r), sourceBytes + 4 * plan.WorkOffset(r), count, oddStart, p);
}

}  // namespace kestrimo
