#include "base/ImageBuffer.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "base/AlignedMemory.h"
#include "base/CapacityRule.h"
#include "base/ClipRectPair.h"

namespace kestrimo {

static_assert(std::endian::native == std::endian::little,
              "pixels are stored as little-endian 32-bit values");

ImageBuffer::~ImageBuffer() { Release(); }

void ImageBuffer::Resize(std::int32_t w, std::int32_t h, std::int32_t g, std::int32_t s) {
  if (w < 0 || h < 0) {
    Release();
    return;
  }
  const bool reuse = pixels != nullptr && CapacityFits(w, allocWidth, g, s) &&
                     CapacityFits(h, allocHeight, g, s);
  if (!reuse) Reallocate(GrownCapacity(w, g), GrownCapacity(h, g));
  // Without a block the rectangle stays empty, so loops over it touch nothing.
  rect = pixels != nullptr ? Rect{0, 0, w, h} : Rect{};
}

void ImageBuffer::Reallocate(std::int32_t capacityWidth, std::int32_t capacityHeight) {
  Release();
  const auto bytes = BlockBytes(capacityWidth, capacityHeight, sizeof(std::uint32_t));
  if (!bytes || *bytes == 0) return;
  pixels = static_cast<std::uint32_t*>(AllocateAligned(*bytes));
  if (pixels == nullptr) return;
  allocWidth = capacityWidth;
  allocHeight = capacityHeight;
}

void ImageBuffer::Release() {
  FreeAligned(pixels);
  pixels = nullptr;
  allocWidth = 0;
  allocHeight = 0;
  rect = Rect{};
}

void ImageBuffer::FillAll(std::uint32_t colour) { FillAreaAlpha(rect, 255, colour); }

void ImageBuffer::FillArea(const Rect& area, std::uint32_t colour) {
  FillAreaAlpha(area, 255, colour);
}

void ImageBuffer::FillAreaAlpha(const Rect& area, std::uint8_t alpha, std::uint32_t colour) {
  if (pixels == nullptr || rect.IsEmpty() || area.IsEmpty()) return;
  if (area.left < 0 || area.top < 0 || area.right > allocWidth || area.bottom > allocHeight)
    return;
  const std::uint32_t value = PixelFromColour(colour, alpha);
  const std::ptrdiff_t width = area.right - area.left;
  for (std::int32_t y = area.top; y < area.bottom; ++y)
    std::fill_n(PixelAt(area.left, y), width, value);
}

void ImageBuffer::CopyFrom(const std::uint32_t* srcPixels, std::int32_t srcAllocWidth,
                           std::int32_t srcAllocHeight, const Rect& srcRect) {
  if (srcPixels == nullptr || pixels == nullptr || srcRect.IsEmpty()) return;
  const std::int64_t width = std::int64_t{srcRect.right} - srcRect.left;
  const std::int64_t height = std::int64_t{srcRect.bottom} - srcRect.top;
  if (width > INT32_MAX || height > INT32_MAX) return;
  Rect src = srcRect;
  Rect dst{0, 0, static_cast<std::int32_t>(width), static_cast<std::int32_t>(height)};
  if (!ClipRectPair(src, Size{srcAllocWidth, srcAllocHeight}, dst,
                    Size{allocWidth, allocHeight}))
    return;
  const std::size_t rowBytes = static_cast<std::size_t>(src.Width()) * sizeof(std::uint32_t);
  const std::ptrdiff_t srcPitch = srcAllocWidth;
  for (std::int32_t k = 0; k < src.Height(); ++k) {
    const std::uint32_t* from =
        srcPixels + src.left + srcPitch * (srcAllocHeight - 1 - (src.top + k));
    std::memmove(PixelAt(dst.left, dst.top + k), from, rowBytes);
  }
}

}  // namespace kestrimo
