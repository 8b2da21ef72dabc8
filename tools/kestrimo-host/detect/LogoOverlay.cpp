#include "tools/kestrimo-host/detect/LogoOverlay.h"

#include <algorithm>
#include <cstddef>

#include "tools/kestrimo-host/pictures/SnapshotImage.h"

namespace kestrimo {
namespace {

void Paint(std::uint8_t* pixel, std::uint8_t r, std::uint8_t g, std::uint8_t b) {
  pixel[0] = r;
  pixel[1] = g;
  pixel[2] = b;
}

bool OnFrameLine(const Rect& area, int x, int y) {
  const bool inside = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
  return inside && (x == area.left || x == area.right - 1 || y == area.top || y == area.bottom - 1);
}

}  // namespace

std::vector<std::uint8_t> LogoOverlayRgb(StreamFormat format, FrameSize size,
                                         const std::uint8_t* frame, const LogoMask& logo,
                                         const Rect& area) {
  const std::size_t stride = 3 * static_cast<std::size_t>(size.width);
  std::vector<std::uint8_t> rgb(stride * static_cast<std::size_t>(size.height));
  FrameToRgb(format, size, frame, rgb.data(), stride);
  for (int y = 0; y < size.height; ++y) {
    for (int x = 0; x < size.width; ++x) {
      std::uint8_t* pixel = rgb.data() + stride * static_cast<std::size_t>(y) + 3 * static_cast<std::size_t>(x);
      if (OnFrameLine(area, x, y)) {
        Paint(pixel, 0, 255, 0);
      } else if (logo.At(x, y)) {
        Paint(pixel, static_cast<std::uint8_t>((pixel[0] + 255) / 2),
              static_cast<std::uint8_t>(pixel[1] / 2), static_cast<std::uint8_t>((pixel[2] + 255) / 2));
      }
    }
  }
  return rgb;
}

}  // namespace kestrimo
