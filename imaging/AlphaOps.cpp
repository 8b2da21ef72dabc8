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

void CopyMaskAlpha(ConstImageView mask, ImageView work, bool workBottomUp, AlphaCopyRow copyRow) {
  if (mask.pixels == nullptr || work.pixels == nullptr || mask.rect.IsEmpty() ||
      work.rect.IsEmpty())
    return;
  const std::int32_t width =
      std::min(ExtentUpTo(mask.rect.left, mask.rect.right, mask.alloc.width),
               ExtentUpTo(work.rect.left, work.rect.right, work.alloc.width));
  const std::int32_t height =
      std::min(ExtentUpTo(mask.rect.top, mask.rect.bottom, mask.alloc.height),
               ExtentUpTo(work.rect.top, work.rect.bottom, work.alloc.height));
  if (width <= 0 || height <= 0) return;
  for (std::int32_t r = 0; r < height; ++r) {
    const std::int32_t workRow = workBottomUp ? BottomUpRow(work.alloc, r) : r;
    copyRow(RowAt(mask.pixels, mask.alloc, BottomUpRow(mask.alloc, r)),
            RowAt(work.pixels, work.alloc, workRow), width);
  }
}

// Calls rowOp(row start, width) for each row of a whole-image pass.
template <typename RowOp>
void ForEachRow(ImageView image, RowOp rowOp) {
  if (image.pixels == nullptr || image.rect.IsEmpty()) return;
  const std::int32_t width = ExtentUpTo(image.rect.left, image.rect.right, image.alloc.width);
  const std::int32_t height = ExtentUpTo(image.rect.top, image.rect.bottom, image.alloc.height);
  if (width <= 0 || height <= 0) return;
  for (std::int32_t r = 0; r < height; ++r)
    rowOp(RowAt(image.pixels, image.alloc, BottomUpRow(image.alloc, r)), width);
}

}  // namespace

void CopyMaskAlphaToYuv(ConstImageView mask, ImageView work) {
  CopyMaskAlpha(mask, work, false, KernelsInUse().alpha.copyAlphaToByte2);
}

void CopyMaskAlphaToBgr(ConstImageView mask, ImageView work) {
  CopyMaskAlpha(mask, work, true, KernelsInUse().alpha.copyAlphaToByte3);
}

void SetAlphaOutsideKey(ImageView image, std::uint32_t colorKey, std::uint8_t alpha) {
  const auto kernel = KernelsInUse().alpha.setAlphaOutsideKey;
  const std::uint32_t key = KeyFromColour(colorKey);
  ForEachRow(image, [&](std::uint8_t* row, std::int32_t width) { kernel(row, width, key, alpha); });
}

void RecolourVisible(ImageView image, std::uint32_t colour) {
  const auto kernel = KernelsInUse().alpha.recolourVisible;
  const std::uint32_t key = KeyFromColour(colour);
  ForEachRow(image, [&](std::uint8_t* row, std::int32_t width) { kernel(row, width, key); });
}

void StampKeyColour(ConstImageView source, ImageView destination, Point dstPosition,
                    std::uint32_t colorKey, bool invert) {
  if (source.pixels == nullptr || destination.pixels == nullptr || source.rect.IsEmpty()) return;
  // A destination rectangle beyond the 32-bit range cannot meet any image.
  const std::int64_t dstRight = std::int64_t{dstPosition.x} + source.rect.right - source.rect.left;
  const std::int64_t dstBottom = std::int64_t{dstPosition.y} + source.rect.bottom - source.rect.top;
  if (!FitsInt32(dstRight) || !FitsInt32(dstBottom)) return;
  Rect src = source.rect;
  Rect dst{dstPosition.x, dstPosition.y, static_cast<std::int32_t>(dstRight),
           static_cast<std::int32_t>(dstBottom)};
  if (!ClipRectPair(src, source.alloc, dst, destination.alloc)) return;

  const auto kernel = KernelsInUse().alpha.stampKey;
  const std::uint32_t opaqueKey = KeyFromColour(colorKey) | 0xFF000000u;
  for (std::int32_t r = 0; r < src.Height(); ++r) {
    kernel(RowAt(source.pixels, source.alloc, BottomUpRow(source.alloc, src.top + r), src.left),
           RowAt(destination.pixels, destination.alloc, BottomUpRow(destination.alloc, dst.top + r),
                 dst.left),
           src.Width(), opaqueKey, invert);
  }
}

}  // namespace kestrimo
