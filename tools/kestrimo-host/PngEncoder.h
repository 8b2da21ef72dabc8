// Writes 8-bit RGB pictures as PNG files, with no library beyond our own
// small deflate.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrimo {

// An RGB picture, rows top-down, `stride` bytes from one row to the next.
struct RgbView {
  const std::uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  std::size_t stride = 0;
};

// The whole PNG file: signature, IHDR, IDAT chunks of at most 1 MiB, IEND.
// Each row takes the filter (None, Sub or Up) with the smallest sum of
// absolute differences. Empty for a picture without pixels.
std::vector<std::uint8_t> EncodePng(const RgbView& image);

}  // namespace kestrimo
