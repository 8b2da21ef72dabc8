// The logo's colour and opacity per pixel, estimated from LogoStatistics
// under the found mask. A logo blended at opacity a over the picture B shows
// a L + (1 - a) B: its pixels vary over time (1 - a) times as much as the
// picture beneath them, and their mean is a L + (1 - a) mean(B). The
// picture beneath is interpolated across rows and columns from the pixels
// just outside the mask, and again from just outside the logo's own pixels.
// The opacity is bounded by the spreads of the whole solid part, and each
// pixel's colour then matches its mean exactly, so that an opacity a little
// off scales the picture recovered beneath instead of shifting it.
#pragma once

#include <cstdint>
#include <vector>

#include "detect/LogoMask.h"
#include "detect/LogoStatistics.h"

namespace kestrimo {

struct LogoModelPixel {
  std::uint8_t y = 0, u = 128, v = 128;  // the logo's colour
  std::uint8_t opacity = 0;              // 0..255; 0 outside the mask
};

class LogoModel {
 public:
  // Below this spread (levels) the picture beneath tells no opacity: such
  // pixels count as opaque.
  static constexpr float kMinSpread = 1.0f;

  // Estimates every pixel of `frameMask` (of the frame's size).
  void Estimate(const LogoStatistics& statistics, const LogoMask& frameMask);

  int Width() const { return width_; }
  int Height() const { return height_; }
  const LogoModelPixel& At(int x, int y) const {
    return pixels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                   static_cast<std::size_t>(x)];
  }

 private:
  int width_ = 0;
  int height_ = 0;
  std::vector<LogoModelPixel> pixels_;
};

}  // namespace kestrimo
