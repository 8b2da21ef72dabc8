#include "imaging/AlphaOps.h"

#include <algorithm>
#include <cstddef>
#include <limits>
#include <type_traits>

#include "imaging/Kernels.h"
#include "base/ClipRectPair.h"

namespace kestrimo {
namespace {

bool FitsInt32(std::int64_t value) {
  return value >= std::numeric_limits<std::int32_t>::min() &&
         value <= std::numeric_limits<std::int32_t>::max();
}

// min(high - low, limit), formed without overflow; limit fits in 32 bits.
std::int32_t ExtentUpTo(std::int32_t low, std::int32_t high, std::int32_t limit) {
  return static_cast<std::int32_t>(std::min(std::int64_t{high} - low, std::int64_t{limit}));
}

using AlphaCopyRow = void (*)(const std::uint8_t*, std::uint8_t*, std::int32_t);

// Start of memory row `memoryRow`, column `x`.
template <typename Pixel>
auto* RowAt(Pixel* pixels, Size allocSize, std::int32_t memoryRow, std::int32_t x = 0) {
  using Byte = std::conditional_t<std::is_const_v<Pixel>, const std::uint8_t, std::uint8_t>;
  return reinterpret_cast<Byte*>(pixels + static_cast<std::ptrdiff_t>(memoryRow) * allocSize.width + x);
}

std::int32_t BottomUpRow(Size allocSize, std::int32_t visualRow) {
  return allocSize.height - 1 - visualRow;
}

void CopyMaskAlpha(const std::uint32_t* maskPixels, Size maskAllocSize, const Rect& maskRect,
                   std::uint32_t* workPixels, Size workAllocSize, const Rect& workRect,
                   bool workBottomUp, AlphaCopyRow copyRow) {
  if (maskPixels == nullptr || workPixels == nullptr || maskRect.IsEmpty() || workRect.IsEmpty())
    return;
  const std::int32_t width =
      std::min(ExtentUpTo(maskRect.left, maskRect.right, maskAllocSize.width),
               ExtentUpTo(workRect.left, workRect.right, workAllocSize.width));
  const std::int32_t height =
      std::min(ExtentUpTo(maskRect.top, maskRect.bottom, maskAllocSize.height),
               ExtentUpTo(workRect.top, workRect.bottom, workAllocSize.height));
  if (width <= 0 || height <= 0) return;
  for (std::int32_t r = 0; r < height; ++r) {
    const std::int32_t workRow = workBottomUp ? BottomUpRow(workAllocSize, r) : r;
    copyRow(RowAt(maskPixels, maskAllocSize, BottomUpRow(maskAllocSize, r)),
            RowAt(workPixels, workAllocSize, workRow), width);
  }
}

// Calls rowOp(row start, width) for each row of a whole-image pass.
template <typename RowOp>
void ForEachRow(std::uint32_t* pixels, Size allocSize, const Rect& rect, RowOp rowOp) {
  if (pixels == nullptr || rect.IsEmpty()) return;
  const std::int32_t width = ExtentUpTo(rect.left, rect.right, allocSize.width);
  const std::int32_t height = ExtentUpTo(rect.top, rect.bottom, allocSize.height);
  if (width <= 0 || height <= 0) return;
  for (std::int32_t r = 0; r < height; ++r)
    rowOp(RowAt(pixels, allocSize, BottomUpRow(allocSize, r)), width);
}

}  // namespace

void CopyMaskAlphaToYuv(const std::uint32_t* maskPixels, Size maskAllocSize, const Rect& maskRect,
                        std::uint32_t* workPixels, Size workAllocSize, const Rect& workRect) {
  CopyMaskAlpha(maskPixels, maskAllocSize, maskRect, workPixels, workAllocSize, workRect, false,
                KernelsInUse().alpha.copyAlphaToByte2);
}

void CopyMaskAlphaToBgr(const std::uint32_t* maskPixels, Size maskAllocSize, const Rect& maskRect,
                        std::uint32_t* workPixels, Size workAllocSize, const Rect& workRect) {
  CopyMaskAlpha(maskPixels, maskAllocSize, maskRect, workPixels, workAllocSize, workRect, true,
                KernelsInUse().alpha.copyAlphaToByte3);
}

void SetAlphaOutsideKey(std::uint32_t* pixels, Size allocSize, const Rect& rect,
                        std::uint32_t colorKey, std::uint8_t alpha) {
  const auto kernel = KernelsInUse().alpha.setAlphaOutsideKey;
  const std::uint32_t key = KeyFromColour(colorKey);
  ForEachRow(pixels, allocSize, rect,
             [&](std::uint8_t* row, std::int32_t width) { kernel(row, width, key, alpha); });
}

void RecolourVisible(std::uint32_t* pixels, Size allocSize, const Rect& rect, std::uint32_t colour) {
  const auto kernel = KernelsInUse().alpha.recolourVisible;
  const std::uint32_t key = KeyFromColour(colour);
  ForEachRow(pixels, allocSize, rect,
             [&](std::uint8_t* row, std::int32_t width) { kernel(row, width, key); });
}

void StampKeyColour(const std::uint32_t* srcPixels, Size srcAllocSize, const Rect& srcRect,
                    std::uint32_t* dstPixels, Size dstAllocSize, Point dstPosition,
                    std::uint32_t colorKey, bool invert) {
  if (srcPixels == nullptr || dstPixels == nullptr || srcRect.IsEmpty()) return;
  // A destination rectangle beyond the 32-bit range cannot meet any image.
  const std::int64_t dstRight = std::int64_t{dstPosition.x} + srcRect.right - srcRect.left;
  const std::int64_t dstBottom = std::int64_t{dstPosition.y} + srcRect.bottom - srcRect.top;
  if (!FitsInt32(dstRight) || !FitsInt32(dstBottom)) return;
  Rect src = srcRect;
  Rect dst{dstPosition.x, dstPosition.y, static_cast<std::int32_t>(dstRight),
           static_cast<std::int32_t>(dstBottom)};
  if (!ClipRectPair(src, srcAllocSize, dst, dstAllocSize)) return;

  const auto kernel = KernelsInUse().alpha.stampKey;
  const std::uint32_t opaqueKey = KeyFromColour(colorKey) | 0xFF000000u;
  for (std::int32_t r = 0; r < src.Height(); ++r) {
    kernel(RowAt(srcPixels, srcAllocSize, BottomUpRow(srcAllocSize, src.top + r), src.left),
           RowAt(dstPixels, dstAllocSize, BottomUpRow(dstAllocSize, dst.top + r), dst.left),
           src.Width(), opaqueKey, invert);
  }
}

}  // namespace kestrimo
