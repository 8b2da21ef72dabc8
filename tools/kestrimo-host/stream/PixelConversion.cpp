#include "tools/kestrimo-host/stream/PixelConversion.h"

#include <cstring>

namespace kestrimo {

PlanarFrame SplitPlanes(std::uint8_t* block, int width, int height) {
  const std::size_t luma = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const std::size_t chroma = luma / 2;
  return {block, block + luma, block + luma + chroma};
}

void PlanarToYuy2(const PlanarFrame& planes, int width, int height, std::uint8_t* packed) {
  const std::size_t pairs = static_cast<std::size_t>(width / 2);
  for (int row = 0; row < height; ++row) {
    const std::uint8_t* y = planes.y + static_cast<std::size_t>(row) * 2 * pairs;
    const std::uint8_t* u = planes.u + static_cast<std::size_t>(row) * pairs;
    const std::uint8_t* v = planes.v + static_cast<std::size_t>(row) * pairs;
    std::uint8_t* out = packed + static_cast<std::size_t>(row) * 4 * pairs;
    for (std::size_t i = 0; i < pairs; ++i) {
      out[4 * i + 0] = y[2 * i];
      out[4 * i + 1] = u[i];
      out[4 * i + 2] = y[2 * i + 1];
      out[4 * i + 3] = v[i];
    }
  }
}

void Yuy2ToPlanar(const std::uint8_t* packed, int width, int height, const PlanarFrame& planes) {
  const std::size_t pairs = static_cast<std::size_t>(width / 2);
  for (int row = 0; row < height; ++row) {
    std::uint8_t* y = planes.y + static_cast<std::size_t>(row) * 2 * pairs;
    std::uint8_t* u = planes.u + static_cast<std::size_t>(row) * pairs;
    std::uint8_t* v = planes.v + static_cast<std::size_t>(row) * pairs;
    const std::uint8_t* in = packed + static_cast<std::size_t>(row) * 4 * pairs;
    for (std::size_t i = 0; i < pairs; ++i) {
      y[2 * i] = in[4 * i + 0];
      u[i] = in[4 * i + 1];
      y[2 * i + 1] = in[4 * i + 2];
      v[i] = in[4 * i + 3];
    }
  }
}

void FlipRows(const std::uint8_t* source, std::size_t rowBytes, int rows, std::uint8_t* target) {
  for (int row = 0; row < rows; ++row) {
    std::memcpy(target + static_cast<std::size_t>(rows - 1 - row) * rowBytes,
                source + static_cast<std::size_t>(row) * rowBytes, rowBytes);
  }
}

}  // namespace kestrimo
