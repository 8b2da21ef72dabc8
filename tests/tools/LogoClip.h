// Generated test clips: smooth moving content with a known logo over it,
// opaque or blended, and a little noise on everything; YUY2 frames, with the
// clean frames to compare with.
#pragma once

#include <cstdint>
#include <vector>

#include "base/Rect.h"
#include "detect/LogoMask.h"

namespace kestrimo::testing {

struct LogoClipLayout {
  int width = 320;
  int height = 240;
  Rect logo;          // where the logo's shape is drawn
  int opacity = 100;  // percent
};

class LogoClip {
 public:
  explicit LogoClip(const LogoClipLayout& layout);

  // The logo's pixels: a disc, a bar from its middle and a detached dot.
  const LogoMask& Logo() const { return logo_; }
  std::size_t FrameBytes() const { return 2 * static_cast<std::size_t>(layout_.width) * layout_.height; }

  // Frame t (packed Y0 U Y1 V, rows top-down) without and with the logo.
  void Clean(int t, std::uint8_t* yuy2) const;
  void WithLogo(int t, std::uint8_t* yuy2) const;

 private:
  static constexpr int kChromaPeriod = 64;  // frames tabled of the U wave

  LogoClipLayout layout_;
  LogoMask logo_;
  std::vector<float> waves_;           // per pixel: sin and cos of the two waves' phases
  std::vector<std::uint8_t> chroma_;   // U by frame (modulo kChromaPeriod) and column
};

}  // namespace kestrimo::testing
