#include "tools/kestrimo-host/detect/DetectLuma.h"

#include <cstddef>

namespace kestrimo {

void FrameLuma(StreamFormat format, FrameSize size, const std::uint8_t* frame,
               std::uint8_t* luma) {
  const std::size_t width = static_cast<std::size_t>(size.width);
  for (int y = 0; y < size.height; ++y) {
    std::uint8_t* out = luma + width * static_cast<std::size_t>(y);
    if (format == StreamFormat::Bgr24) {
      const std::uint8_t* row = frame + 3 * width * static_cast<std::size_t>(size.height - 1 - y);
      for (std::size_t x = 0; x < width; ++x) {
        const unsigned b = row[3 * x], g = row[3 * x + 1], r = row[3 * x + 2];
        out[x] = static_cast<std::uint8_t>((77 * r + 150 * g + 29 * b + 128) >> 8);
      }
    } else {
      const std::uint8_t* row = frame + 2 * width * static_cast<std::size_t>(y);
      for (std::size_t x = 0; x < width; ++x) out[x] = row[2 * x];
    }
  }
}

}  // namespace kestrimo
