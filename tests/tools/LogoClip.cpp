#include "tests/tools/LogoClip.h"

#include <algorithm>
#include <cmath>

namespace kestrimo::testing {
namespace {

// Rounded to the nearest level and kept within 0..255.
std::uint8_t Clamp(double v) {
  return static_cast<std::uint8_t>(v <= 0 ? 0 : v >= 255 ? 255 : static_cast<int>(v + 0.5));
}

constexpr int kLogoY = 235, kLogoU = 100, kLogoV = 170;

// Recording noise of -2..2 levels, the same for the same pixel and frame.
int Noise(int x, int y, int t) {
  std::uint32_t h = static_cast<std::uint32_t>(x) * 73856093u ^ static_cast<std::uint32_t>(y) * 19349663u ^
                    static_cast<std::uint32_t>(t) * 83492791u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return static_cast<int>(h % 5) - 2;
}

}  // namespace

LogoClip::LogoClip(const LogoClipLayout& layout) : layout_(layout), logo_(layout.width, layout.height) {
  waves_.resize(4 * static_cast<std::size_t>(layout.width) * layout.height);
  for (int y = 0; y < layout.height; ++y) {
    for (int x = 0; x < layout.width; ++x) {
      float* w = waves_.data() + 4 * (static_cast<std::size_t>(layout.width) * y + x);
      const double p1 = 0.11 * x + 0.07 * y, p2 = -0.05 * x + 0.13 * y;
      w[0] = static_cast<float>(std::sin(p1));
      w[1] = static_cast<float>(std::cos(p1));
      w[2] = static_cast<float>(std::sin(p2));
      w[3] = static_cast<float>(std::cos(p2));
    }
  }
  chroma_.resize(static_cast<std::size_t>(kChromaPeriod) * layout.width);
  for (int t = 0; t < kChromaPeriod; ++t) {
    for (int x = 0; x < layout.width; ++x) {
      chroma_[static_cast<std::size_t>(t) * layout.width + x] = Clamp(128 + 30 * std::sin(0.06 * x + 0.3 * t));
    }
  }
  const Rect& box = layout.logo;
  const int h = box.Height();
  const double r = h / 2.0, cx = box.left + r, cy = box.top + r;
  const int dot = std::max(2, h / 4);
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) {
      const double dx = x + 0.5 - cx, dy = y + 0.5 - cy;
      const bool disc = dx * dx + dy * dy <= r * r;
      const bool bar = x >= cx && x < box.right - dot - 3 && y >= box.top + h / 4 &&
                       y < box.bottom - h / 4;
      const bool spot = x >= box.right - dot && y < box.top + dot;
      if (disc || bar || spot) logo_.Set(x, y, true);
    }
  }
}

// Two waves drifting at unrelated speeds, so every pixel sees the whole range:
//   128 + 50 sin(0.11 x + 0.07 y + 0.37 t) + 40 sin(-0.05 x + 0.13 y + 0.23 t + 1),
// each wave as sin(p + q) = sin p cos q + cos p sin q with the pixel's phase p
// tabled once and the frame's phase q once per frame.
void LogoClip::Clean(int t, std::uint8_t* yuy2) const {
  const float c1 = std::cos(0.37f * t), s1 = std::sin(0.37f * t);
  const float c2 = std::cos(0.23f * t + 1.0f), s2 = std::sin(0.23f * t + 1.0f);
  for (int y = 0; y < layout_.height; ++y) {
    std::uint8_t* row = yuy2 + 2 * static_cast<std::size_t>(layout_.width) * y;
    const std::uint8_t v = Clamp(128 + 30 * std::sin(0.08 * y - 0.2 * t));
    for (int x = 0; x < layout_.width; ++x) {
      const float* w = waves_.data() + 4 * (static_cast<std::size_t>(layout_.width) * y + x);
      const float luma = 128 + 50 * (w[0] * c1 + w[1] * s1) + 40 * (w[2] * c2 + w[3] * s2);
      row[2 * x] = Clamp(luma + Noise(x, y, t));
      row[2 * x + 1] = (x % 2) == 0 ? chroma_[static_cast<std::size_t>(t % kChromaPeriod) * layout_.width + x] : v;
    }
  }
}

void LogoClip::WithLogo(int t, std::uint8_t* yuy2) const {
  Clean(t, yuy2);
  // The logo is noisy too, as everything in a recording.
  const int a = layout_.opacity;
  const auto blend = [a](std::uint8_t& v, int logo) { v = Clamp((a * logo + (100 - a) * v) / 100.0); };
  for (int y = 0; y < layout_.height; ++y) {
    std::uint8_t* row = yuy2 + 2 * static_cast<std::size_t>(layout_.width) * y;
    for (int x = 0; x < layout_.width; ++x) {
      if (!logo_.At(x, y)) continue;
      blend(row[2 * x], kLogoY + Noise(y, x, t));
      blend(row[2 * x + 1], (x % 2) == 0 ? kLogoU : kLogoV);
    }
  }
}

}  // namespace kestrimo::testing
