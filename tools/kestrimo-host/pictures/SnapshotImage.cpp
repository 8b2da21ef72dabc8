#include "tools/kestrimo-host/pictures/SnapshotImage.h"

namespace kestrimo {
namespace {

// The BT.601 factors times 65536.
constexpr std::int32_t kVtoR = 91881;   // 1.402
constexpr std::int32_t kUtoG = 22554;   // 0.344136
constexpr std::int32_t kVtoG = 46802;   // 0.714136
constexpr std::int32_t kUtoB = 116130;  // 1.772
constexpr std::int32_t kHalf = 1 << 15;

std::uint8_t Clamp(std::int32_t value) {
  return static_cast<std::uint8_t>(value < 0 ? 0 : value > 255 ? 255 : value);
}

// Y plus a fixed-point offset, rounded half up.
std::uint8_t Channel(std::int32_t y, std::int32_t scaled) { return Clamp(y + ((scaled + kHalf) >> 16)); }

void Yuy2RowToRgb(const std::uint8_t* row, int width, std::uint8_t* rgb) {
  for (int x = 0; x + 1 < width; x += 2) Yuy2PairToRgb(row + 2 * x, rgb + 3 * x);
}

void BgrRowToRgb(const std::uint8_t* row, int width, std::uint8_t* rgb) {
  for (int x = 0; x < width; ++x) {
    rgb[3 * x + 0] = row[3 * x + 2];
    rgb[3 * x + 1] = row[3 * x + 1];
    rgb[3 * x + 2] = row[3 * x + 0];
  }
}

}  // namespace

void Yuy2PairToRgb(const std::uint8_t* yuyv, std::uint8_t* rgb) {
  const std::int32_t u = yuyv[1] - 128;
  const std::int32_t v = yuyv[3] - 128;
  const std::int32_t r = kVtoR * v;
  const std::int32_t g = -kUtoG * u - kVtoG * v;
  const std::int32_t b = kUtoB * u;
  for (int i = 0; i < 2; ++i) {
    const std::int32_t y = yuyv[2 * i];
    rgb[3 * i + 0] = Channel(y, r);
    rgb[3 * i + 1] = Channel(y, g);
    rgb[3 * i + 2] = Channel(y, b);
  }
}

void FrameToRgb(StreamFormat format, FrameSize size, const std::uint8_t* frame,
                std::uint8_t* rgb, std::size_t stride) {
  const bool bgr = format == StreamFormat::Bgr24;
  const std::size_t rowBytes = (bgr ? 3 : 2) * static_cast<std::size_t>(size.width);
  for (int y = 0; y < size.height; ++y) {
    std::uint8_t* out = rgb + static_cast<std::size_t>(y) * stride;
    if (bgr) {
      BgrRowToRgb(frame + static_cast<std::size_t>(size.height - 1 - y) * rowBytes, size.width, out);
    } else {
      Yuy2RowToRgb(frame + static_cast<std::size_t>(y) * rowBytes, size.width, out);
    }
  }
}

}  // namespace kestrimo
