#include "imaging/FrameConversion.h"

#include <cstddef>
#include <cstdint>

#include "imaging/Kernels.h"
#include "imaging/AreaPlan.h"

namespace kestrimo {

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

namespace {

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
