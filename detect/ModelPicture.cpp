#include "detect/ModelPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

#include "imaging/ColourCoefficients.h"

namespace kestrimo {
namespace {

struct Yuv {
  std::int32_t y, u, v;
};

std::int32_t Weigh(BgrWeights w, std::int32_t b, std::int32_t g, std::int32_t r) {
  return (w.b * b + w.g * g + w.r * r) >> kBgrWeightShift;
}

// The plug-in's BGR to YUV conversion (unclamped: the nearest colour is
// looked for among RGB values, whose conversions stay in range).
Yuv Convert(std::int32_t b, std::int32_t g, std::int32_t r) {
  return {Weigh(kLumaWeights, b, g, r), Weigh(kCbWeights, b, g, r) + kChromaOffset,
          Weigh(kCrWeights, b, g, r) + kChromaOffset};
}

// Single precision throughout, so that the 32-bit build, which computes it
// with SSE, writes the same file as the 64-bit one.
std::int32_t Level(float v) {
  return static_cast<std::int32_t>(std::clamp(std::lround(v), 0L, 255L));
}

// 0x00RRGGBB of the RGB around the full-range BT.601 inverse whose
// conversion misses y, u, v least.
std::uint32_t NearestRgb(float y, float u, float v) {
  const std::int32_t r0 = Level(y + 1.402f * (v - 128));
  const std::int32_t g0 = Level(y - 0.344136f * (u - 128) - 0.714136f * (v - 128));
  const std::int32_t b0 = Level(y + 1.772f * (u - 128));
  std::uint32_t best = 0;
  float bestMiss = -1;
  for (int dr = -1; dr <= 1; ++dr) {
    for (int dg = -1; dg <= 1; ++dg) {
      for (int db = -1; db <= 1; ++db) {
        const std::int32_t r = r0 + dr, g = g0 + dg, b = b0 + db;
        if (std::min({r, g, b}) < 0 || std::max({r, g, b}) > 255) continue;
        const Yuv c = Convert(b, g, r);
        const float miss = (c.y - y) * (c.y - y) + (c.u - u) * (c.u - u) + (c.v - v) * (c.v - v);
        if (bestMiss >= 0 && miss >= bestMiss) continue;
        bestMiss = miss;
        best = static_cast<std::uint32_t>(r) << 16 | static_cast<std::uint32_t>(g) << 8 |
               static_cast<std::uint32_t>(b);
      }
    }
  }
  return best;
}

// The estimate at frame pixel (x, y), 0 (no logo) outside the frame.
std::uint32_t PixelOf(const LogoModel& model, int x, int y) {
  if (x < 0 || y < 0 || x >= model.Width() || y >= model.Height()) return 0;
  const LogoModelPixel& m = model.At(x, y);
  if (m.opacity == 0) return 0;
  return std::uint32_t{m.opacity} << 24 | NearestRgb(m.y, m.u, m.v);
}

}  // namespace

LogoModelPicture BuildModelPicture(const LogoModel& model, const LogoPicture& picture) {
  LogoModelPicture out;
  if (picture.width < 1 || picture.height < 1 || picture.area.IsEmpty() || model.Width() < 1)
    return out;
  out.width = picture.area.Width();
  out.height = picture.area.Height();
  out.pixels.assign(static_cast<std::size_t>(out.width) * out.height, 0);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x)
      out.pixels[static_cast<std::size_t>(y) * out.width + x] =
          PixelOf(model, picture.area.left + x, picture.area.top + y);
  return out;
}

}  // namespace kestrimo
