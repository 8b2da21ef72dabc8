// Separable Gaussian blur of a rectangle of a 32-bit image, in place: one
// pass along the rows, then one down the columns, four channels at once in
// single precision. Kernels are cached per direction and rebuilt only when a
// width changes; the line buffer only ever grows. Not safe for concurrent use.
#pragma once

#include <cstdint>

#include "imaging/BlurKernels.h"
#include "base/ImageView.h"

namespace kestrimo {

class BlurFilter {
 public:
  static constexpr std::int32_t kInitialLineCapacity = 2048;
  static constexpr std::int32_t kKernelCapacity = 256;

  BlurFilter();
  ~BlurFilter();
  BlurFilter(const BlurFilter&) = delete;
  BlurFilter& operator=(const BlurFilter&) = delete;

  // Rebuilds `kernel` for width w unless `cachedWidth` already holds w + 0.1.
  // Weights are cut where they stop mattering at 8 bits, at most at
  // capacity - 1, and normalised so that k0 + 2 * (k1 + ... + kR) is 1.
  static void BuildKernel(BlurEntry*& kernel, std::int32_t& capacity, float& cachedWidth,
                          std::int32_t& radius, float width);

  // Prepares the horizontal kernel for wx and the vertical one for wy.
  void SetWidths(float wx, float wy);
  void SetWidths(float width) { SetWidths(width, width); }

  // Blurs the view's rectangle in place (rows top..bottom-1, columns
  // left..right-1, visual rows counted from the top). Bottom-up blocks keep
  // visual row r at memory row alloc.height - 1 - r, top-down ones at row r.
  // The rectangle is clipped to the allocation; nothing outside it is read
  // or written, and each line's ends are replicated from its own edge pixels.
  void ApplyBlur(ImageView image, bool bottomUp, float wx, float wy);
  void ApplyBlur(ImageView image, bool bottomUp, float width) {
    ApplyBlur(image, bottomUp, width, width);
  }

  std::int32_t HorizontalRadius() const { return horizontalRadius_; }
  std::int32_t VerticalRadius() const { return verticalRadius_; }
  float CachedHorizontalWidth() const { return horizontalWidth_; }
  float CachedVerticalWidth() const { return verticalWidth_; }
  const BlurEntry* HorizontalKernel() const { return horizontalKernel_; }
  const BlurEntry* VerticalKernel() const { return verticalKernel_; }
  std::int32_t LineCapacity() const { return lineCapacity_; }

 private:
  // Shares the horizontal kernel (built for `width`) with the vertical direction.
  void CopyHorizontalToVertical(float width);
  bool EnsureLineBuffer(std::int32_t width, std::int32_t height);
  // Both take a view whose rectangle lies within its allocation.
  void BlurRows(ImageView area, bool bottomUp, BlurLineFn blurLine);
  void BlurColumns(ImageView area, bool bottomUp, BlurColumnsFn blurColumns);

  BlurEntry* line_ = nullptr;
  std::int32_t lineCapacity_ = 0;
  BlurEntry* horizontalKernel_ = nullptr;
  std::int32_t horizontalCapacity_ = 0;
  BlurEntry* verticalKernel_ = nullptr;
  std::int32_t verticalCapacity_ = 0;
  float horizontalWidth_ = 0.0f;
  std::int32_t horizontalRadius_ = 0;
  float verticalWidth_ = 0.0f;
  std::int32_t verticalRadius_ = 0;
};

}  // namespace kestrimo
