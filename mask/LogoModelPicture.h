// A logo's colour and opacity per pixel of the reference raster, placed like
// the mask picture. Its file is a 32-bit Windows bitmap (B, G, R, A; A the
// logo's opacity 0..255, B, G, R its colour), read by this code on both
// targets, so that no platform decoder premultiplies or drops the alpha.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kestrimo {

struct LogoModelPicture {
  // Sides beyond which a file is refused (the raster is 768 x 576).
  static constexpr std::int32_t kMaxSide = 4096;
  static constexpr std::int64_t kMaxPixels = std::int64_t{1} << 22;

  std::int32_t width = 0;
  std::int32_t height = 0;
  std::vector<std::uint32_t> pixels;  // 0xAARRGGBB, rows top-down

  bool Empty() const { return width == 0 || height == 0; }
  std::uint32_t At(std::int32_t x, std::int32_t y) const {
    return pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                  static_cast<std::size_t>(x)];
  }
};

// The picture of a whole file's bytes: a bitmap of 32 bits per pixel,
// uncompressed or with the masks B 0xFF, G 0xFF00, R 0xFF0000, A 0xFF000000,
// rows bottom-up or top-down. False, with the picture empty, for anything
// else: another depth, a truncated file, a size beyond the limits.
bool DecodeModelBitmap(std::string_view bytes, LogoModelPicture& picture);

// Reads and decodes the file (backslashes taken as folder separators). False,
// with the picture empty, when it cannot; outOfMemory (when given) then tells
// whether only memory ran short, so that the file is not to be forgotten.
bool LoadModelPicture(const std::string& fileName, LogoModelPicture& picture,
                      bool* outOfMemory = nullptr);

}  // namespace kestrimo
