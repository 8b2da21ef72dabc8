// A block of 32-bit pixels (bytes B, G, R, A) with an allocated size and a
// logical rectangle. Rows are allocWidth pixels apart and stored bottom-up:
// picture pixel (x, y) is at index x + allocWidth * (allocHeight - 1 - y).
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/ImageView.h"
#include "base/Rect.h"

namespace kestrimo {

class ImageBuffer {
 public:
  ImageBuffer() = default;
  virtual ~ImageBuffer();
  ImageBuffer(const ImageBuffer&) = delete;
  ImageBuffer& operator=(const ImageBuffer&) = delete;

  // Sets rect = {0, 0, w, h} and keeps or replaces the block by the capacity
  // rule (growth g, shrink s percent). A new block's content is undefined.
  // A negative or absurd size, or a failed allocation, leaves the buffer
  // empty: no pixels, allocation 0 x 0, rect {0, 0, 0, 0}.
  void Resize(std::int32_t w, std::int32_t h, std::int32_t g, std::int32_t s);

  // Colours are 0x00BBGGRR: R in the low byte; the top byte is ignored.
  void FillAll(std::uint32_t colour);
  void FillArea(const Rect& area, std::uint32_t colour);
  // Writes colour and alpha into every pixel of `area`, which is not clipped:
  // an area reaching outside the allocation is refused as a whole.
  void FillAreaAlpha(const Rect& area, std::uint8_t alpha, std::uint32_t colour);

  // Copies srcRect of a bottom-up source block to (0, 0) of this buffer, both
  // sides clipped to their allocations.
  void CopyFrom(const std::uint32_t* srcPixels, std::int32_t srcAllocWidth,
                std::int32_t srcAllocHeight, const Rect& srcRect);

  // Address of picture pixel (x, y); no bounds check.
  std::uint32_t* PixelAt(std::int32_t x, std::int32_t y) const {
    return pixels + x + static_cast<std::ptrdiff_t>(allocWidth) * (allocHeight - 1 - y);
  }

  // The pixels, the allocation and the rectangle (or another one), for the passes.
  ImageView View() const { return View(rect); }
  ImageView View(const Rect& area) const { return {pixels, {allocWidth, allocHeight}, area}; }

  std::uint32_t* pixels = nullptr;
  std::int32_t allocWidth = 0;
  std::int32_t allocHeight = 0;
  Rect rect;

 private:
  void Reallocate(std::int32_t capacityWidth, std::int32_t capacityHeight);
  void Release();
};

// A pixel from a 0x00BBGGRR colour and an alpha byte.
inline std::uint32_t PixelFromColour(std::uint32_t colour, std::uint8_t alpha) {
  const std::uint32_t r = colour & 0xFF;
  const std::uint32_t g = (colour >> 8) & 0xFF;
  const std::uint32_t b = (colour >> 16) & 0xFF;
  return (std::uint32_t{alpha} << 24) | (r << 16) | (g << 8) | b;
}

}  // namespace kestrimo
