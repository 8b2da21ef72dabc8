#include "imaging/BlurFilter.h"

#include <algorithm>

#include "imaging/GaussianWeight.h"
#include "imaging/Kernels.h"
#include "base/AlignedMemory.h"
#include "base/CapacityRule.h"
#include "base/DoubleRounding.h"

namespace kestrimo {
namespace {

// A negative width or one that is not a number means no blur.
float UsableWidth(float width) { return width > 0.0f ? width : 0.0f; }

// The Gaussian's sigma for a width, as cached: width + 0.1, the sum of the
// width and the double nearest to 0.1 rounded to double and then to float.
float SigmaOf(float width) { return DoubleSumToFloat(UsableWidth(width), kDoubleTenth); }

void SetWeight(BlurEntry& entry, float weight) {
  for (float& lane : entry.lane) lane = weight;
}

std::ptrdiff_t PixelIndex(Size alloc, std::int32_t x, std::int32_t y, bool bottomUp) {
  const std::int32_t memoryRow = bottomUp ? alloc.height - 1 - y : y;
  return x + static_cast<std::ptrdiff_t>(alloc.width) * memoryRow;
}

}  // namespace

BlurFilter::BlurFilter() {
  GrowArray(line_, lineCapacity_, kInitialLineCapacity, 0, 0);
  GrowArray(horizontalKernel_, horizontalCapacity_, kKernelCapacity, 0, 0);
  GrowArray(verticalKernel_, verticalCapacity_, kKernelCapacity, 0, 0);
}

BlurFilter::~BlurFilter() {
  FreeAligned(line_);
  FreeAligned(horizontalKernel_);
  FreeAligned(verticalKernel_);
}

void BlurFilter::BuildKernel(BlurEntry*& kernel, std::int32_t& capacity, float& cachedWidth,
                             std::int32_t& radius, float width) {
  const float s = SigmaOf(width);
  if (s == cachedWidth) return;
  radius = 0;
  // An array the constructor could not have is asked for again; without it
  // there is no blur this time, and the width is not taken as built.
  if (kernel == nullptr) GrowArray(kernel, capacity, kKernelCapacity, 0, 0);
  if (kernel == nullptr || capacity < 1) return;
  cachedWidth = s;

  float sum = 1.0f;
  float weight = 0.0f;
  std::int32_t e = 1;
  for (;; ++e) {
    weight = GaussianWeight(e, s);
    sum = sum + 2.0f * weight;
    if (255.0f * weight / sum < 1.0f || e >= capacity) break;
    SetWeight(kernel[e], weight);
  }
  radius = e - 1;  // the weight that ended the loop is dropped again
  const float total = sum - 2.0f * weight;
  const float scale = 1.0f / total;
  SetWeight(kernel[0], scale);
  for (std::int32_t j = 1; j <= radius; ++j) SetWeight(kernel[j], kernel[j].lane[0] * scale);
}

void BlurFilter::SetWidths(float wx, float wy) {
  wx = UsableWidth(wx);
  wy = UsableWidth(wy);
  BuildKernel(horizontalKernel_, horizontalCapacity_, horizontalWidth_, horizontalRadius_, wx);
  if (wy != wx) {
    BuildKernel(verticalKernel_, verticalCapacity_, verticalWidth_, verticalRadius_, wy);
  } else if (verticalWidth_ != SigmaOf(wy)) {
    CopyHorizontalToVertical(wy);
  }
}

void BlurFilter::CopyHorizontalToVertical(float width) {
  const bool fits = horizontalKernel_ != nullptr && verticalKernel_ != nullptr &&
                    verticalCapacity_ > horizontalRadius_;
  if (!fits) {
    BuildKernel(verticalKernel_, verticalCapacity_, verticalWidth_, verticalRadius_, width);
    return;
  }
  verticalWidth_ = horizontalWidth_;
  verticalRadius_ = horizontalRadius_;
  std::copy(horizontalKernel_, horizontalKernel_ + horizontalRadius_ + 1, verticalKernel_);
}

bool BlurFilter::EnsureLineBuffer(std::int32_t width, std::int32_t height) {
  const std::int64_t needed = std::max(std::int64_t{width} + 2 * std::int64_t{horizontalRadius_},
                                       std::int64_t{height} + 2 * std::int64_t{verticalRadius_});
  if (needed > kMaxImagePixels) return false;  // keeps the buffer it has
  const auto count = static_cast<std::int32_t>(needed);
  GrowArray(line_, lineCapacity_, count, 0, 100);
  return line_ != nullptr && lineCapacity_ >= count;
}

void BlurFilter::ApplyBlur(ImageView image, bool bottomUp, float wx, float wy) {
  if (image.pixels == nullptr || image.alloc.width <= 0 || image.alloc.height <= 0) return;
  ImageView area = image;
  if (!IntersectRect(area.rect, image.rect, Rect{0, 0, image.alloc.width, image.alloc.height}))
    return;
  SetWidths(wx, wy);
  if (!EnsureLineBuffer(area.rect.Width(), area.rect.Height())) return;
  const BlurKernels& kernels = KernelsInUse().blur;
  if (horizontalRadius_ > 0) BlurRows(area, bottomUp, kernels.blurLine);
  if (verticalRadius_ > 0) BlurColumns(area, bottomUp, kernels.blurColumns);
}

void BlurFilter::BlurRows(ImageView area, bool bottomUp, BlurLineFn blurLine) {
  const Rect& rect = area.rect;
  for (std::int32_t y = rect.top; y < rect.bottom; ++y) {
    std::uint32_t* first = area.pixels + PixelIndex(area.alloc, rect.left, y, bottomUp);
    blurLine(first, 1, rect.Width(), horizontalKernel_, horizontalRadius_, line_);
  }
}

// Blocks of neighbouring columns, row by row: the line buffer holds at least
// one column with its ends, so the blocks are as wide as it allows.
void BlurFilter::BlurColumns(ImageView area, bool bottomUp, BlurColumnsFn blurColumns) {
  const Rect& rect = area.rect;
  const std::ptrdiff_t down = bottomUp ? -static_cast<std::ptrdiff_t>(area.alloc.width)
                                       : static_cast<std::ptrdiff_t>(area.alloc.width);
  std::uint32_t* top = area.pixels + PixelIndex(area.alloc, rect.left, rect.top, bottomUp);
  blurColumns(top, down, rect.Width(), rect.Height(), verticalKernel_, verticalRadius_, line_,
              lineCapacity_);
}

}  // namespace kestrimo
