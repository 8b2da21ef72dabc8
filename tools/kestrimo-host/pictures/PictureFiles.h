// The picture files the tool writes: 8-bit RGB pictures as PNG or as 24-bit
// Windows bitmaps.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace kestrimo {

// An RGB picture, rows top-down, `stride` bytes from one row to the next.
struct RgbView {
  const std::uint8_t* pixels = nullptr;
  int width = 0;
  int height = 0;
  std::size_t stride = 0;
  int channels = 3;  // 3: R, G, B; 4: R, G, B, alpha (PNG only)
};

// The whole PNG file, 8-bit RGB or RGBA. Empty for a picture without pixels.
std::vector<std::uint8_t> EncodePng(const RgbView& image);

// The whole BMP file: BITMAPFILEHEADER, BITMAPINFOHEADER, 24-bit rows
// bottom-up, each padded to 4 bytes, no compression. The rows of `image`
// must be packed (stride 3 x width). Empty for a picture without pixels.
std::vector<std::uint8_t> EncodeBmp(const RgbView& image);

// Writes `bytes` as the whole file at `path`; an error text, or empty when it
// was written whole. `failure` is the text when no reason is known.
std::string WritePictureFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
                             const std::string& failure);

}  // namespace kestrimo
