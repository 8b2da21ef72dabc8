#include "detect/LogoModel.h"

#include <algorithm>
#include <cmath>

namespace kestrimo {
namespace {

// Per frame pixel over the samples: mean Y, U, V and the spread of Y.
enum Measure { kMeanY, kMeanU, kMeanV, kSpread, kMeasures };

struct Planes {
  int width = 0;
  int height = 0;
  std::vector<float> values[kMeasures];

  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
  }
};

Planes MeanPlanes(const LogoStatistics& statistics) {
  Planes planes;
  planes.width = statistics.Width();
  planes.height = statistics.Height();
  for (auto& values : planes.values) values.assign(static_cast<std::size_t>(planes.width) * planes.height, 0.0f);
  const PlaneSums& luma = statistics.Plane(0);
  const int chromaWidth = statistics.Plane(1).width;
  for (int y = 0; y < planes.height; ++y) {
    const int samples = statistics.RowSamples(y);
    if (samples == 0) continue;
    const auto n = static_cast<float>(samples);
    for (int x = 0; x < planes.width; ++x) {
      const std::size_t i = planes.Index(x, y);
      const float mean = static_cast<float>(luma.values[i]) / n;
      const float square = static_cast<float>(luma.squares[i]) / n;
      planes.values[kMeanY][i] = mean;
      planes.values[kSpread][i] = std::sqrt(std::max(square - mean * mean, 0.0f));
      if (chromaWidth == 0) {
        planes.values[kMeanU][i] = planes.values[kMeanV][i] = 128.0f;
        continue;
      }
      const std::size_t c = static_cast<std::size_t>(y) * chromaWidth +
                            static_cast<std::size_t>(std::min(x / 2, chromaWidth - 1));
      planes.values[kMeanU][i] = static_cast<float>(statistics.Plane(1).values[c]) / n;
      planes.values[kMeanV][i] = static_cast<float>(statistics.Plane(2).values[c]) / n;
    }
  }
  return planes;
}

// The picture beneath a masked pixel: the mean of the linear interpolations
// between the nearest unmasked pixels along its row and along its column
// (either alone where the other finds no unmasked pixel on both sides).
struct Beneath {
  float values[kMeasures] = {};
  bool known = false;
};

Beneath Interpolate(const Planes& planes, const LogoMask& mask, int x, int y) {
  Beneath beneath;
  int lines = 0;
  for (int axis = 0; axis < 2; ++axis) {
    const int dx = axis == 0 ? 1 : 0, dy = 1 - dx;
    int before = 1, after = 1;
    while (x - before * dx >= 0 && y - before * dy >= 0 && mask.At(x - before * dx, y - before * dy)) ++before;
    while (x + after * dx < planes.width && y + after * dy < planes.height &&
           mask.At(x + after * dx, y + after * dy)) {
      ++after;
    }
    if (x - before * dx < 0 || y - before * dy < 0 || x + after * dx >= planes.width ||
        y + after * dy >= planes.height) {
      continue;
    }
    const std::size_t a = planes.Index(x - before * dx, y - before * dy);
    const std::size_t b = planes.Index(x + after * dx, y + after * dy);
    const float t = static_cast<float>(before) / static_cast<float>(before + after);
    for (int m = 0; m < kMeasures; ++m) {
      beneath.values[m] += planes.values[m][a] + t * (planes.values[m][b] - planes.values[m][a]);
    }
    ++lines;
  }
  if (lines == 0) return beneath;
  for (float& value : beneath.values) value /= static_cast<float>(lines);
  beneath.known = true;
  return beneath;
}

std::uint8_t Level(float value) {
  return static_cast<std::uint8_t>(std::clamp(std::lround(value), 0L, 255L));
}

LogoModelPixel EstimatePixel(const Planes& planes, std::size_t i, const Beneath& beneath) {
  LogoModelPixel pixel;
  float see[3] = {planes.values[kMeanY][i], planes.values[kMeanU][i], planes.values[kMeanV][i]};
  float through = 0.0f;  // 1 - opacity
  if (beneath.known && beneath.values[kSpread] >= LogoModel::kMinSpread) {
    through = std::clamp(planes.values[kSpread][i] / beneath.values[kSpread], 0.0f, 1.0f);
  }
  const float opacity = 1.0f - through;
  if (opacity > 0.05f) {
    for (int m = 0; m < 3; ++m) see[m] = (see[m] - through * beneath.values[m]) / opacity;
  }
  pixel.y = Level(see[0]);
  pixel.u = Level(see[1]);
  pixel.v = Level(see[2]);
  pixel.opacity = Level(255.0f * opacity);
  return pixel;
}

// A pixel of the statistics is masked when any frame pixel of its block is.
LogoMask ToStatistics(const LogoMask& frameMask, const LogoStatistics& statistics) {
  const int scale = statistics.Scale();
  LogoMask mask(statistics.Width(), statistics.Height());
  for (int y = 0; y < frameMask.Height(); ++y) {
    for (int x = 0; x < frameMask.Width(); ++x) {
      if (frameMask.At(x, y) && x / scale < mask.Width() && y / scale < mask.Height()) {
        mask.Set(x / scale, y / scale, true);
      }
    }
  }
  return mask;
}

// The logo's one colour: the median of each of Y, U and V over the pixels
// estimated at 60 % or more of the highest opacity found. Broadcast logos
// are mostly of one colour and one opacity, blended with soft edges.
struct LogoColour {
  float values[3] = {};
  bool known = false;
};

float Median(std::vector<float>& values) {
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

LogoColour DominantColour(const std::vector<LogoModelPixel>& pixels) {
  std::uint8_t highest = 0;
  for (const LogoModelPixel& p : pixels) highest = std::max(highest, p.opacity);
  std::vector<float> channels[3];
  for (const LogoModelPixel& p : pixels) {
    if (p.opacity == 0 || 10 * p.opacity < 6 * highest) continue;
    channels[0].push_back(p.y);
    channels[1].push_back(p.u);
    channels[2].push_back(p.v);
  }
  LogoColour colour;
  if (channels[0].size() < 8) return colour;
  for (int m = 0; m < 3; ++m) colour.values[m] = Median(channels[m]);
  colour.known = true;
  return colour;
}

// Given the logo's colour L, the opacity follows from the means alone, far
// less noisy than the spreads: mean = a L + (1 - a) beneath, so a is the
// projection of (mean - beneath) on (L - beneath). Kept where the pixel
// fits that colour (the rest of the difference small) and the colour stands
// out from the picture beneath; other pixels keep the first estimate.
constexpr float kMinContrast = 24.0f;  // levels between L and the picture beneath
constexpr float kMaxMisfit = 6.0f;     // levels of the difference off the line to L

bool RefinePixel(const Planes& planes, std::size_t i, const Beneath& beneath,
                 const LogoColour& colour, LogoModelPixel& pixel) {
  if (!beneath.known || !colour.known) return false;
  float d[3], e[3], de = 0, ee = 0;
  const Measure means[3] = {kMeanY, kMeanU, kMeanV};
  for (int m = 0; m < 3; ++m) {
    d[m] = planes.values[means[m]][i] - beneath.values[means[m]];
    e[m] = colour.values[m] - beneath.values[means[m]];
    de += d[m] * e[m];
    ee += e[m] * e[m];
  }
  if (ee < kMinContrast * kMinContrast) return false;
  const float opacity = std::clamp(de / ee, 0.0f, 1.0f);
  float misfit = 0;
  for (int m = 0; m < 3; ++m) misfit = std::max(misfit, std::abs(d[m] - opacity * e[m]));
  if (misfit > kMaxMisfit) return false;
  pixel.y = Level(colour.values[0]);
  pixel.u = Level(colour.values[1]);
  pixel.v = Level(colour.values[2]);
  pixel.opacity = Level(255.0f * opacity);
  return true;
}

// The logo's own pixels are grown by this many frame pixels to interpolate
// the picture beneath from.
constexpr int kSupportMargin = 2;
// Opacities below this (of 255) are within what the interpolation of the
// picture beneath gets wrong, and count as no logo: subtracting them moved
// logo-free pixels inside an outline by a few levels.
constexpr std::uint8_t kFaintest = 8;

// A frame pixel of the mask: its index in the model and in the statistics,
// and the picture beneath it.
struct MaskedPixel {
  std::size_t at, i;
  Beneath beneath;
};

// The logo's own pixels (some opacity), grown by kSupportMargin frame
// pixels and kept within the found mask, in pixels of the statistics.
LogoMask Support(const LogoMask& mask, const std::vector<MaskedPixel>& masked,
                 const std::vector<LogoModelPixel>& pixels, int scale) {
  LogoMask support(mask.Width(), mask.Height());
  for (const MaskedPixel& m : masked) {
    if (pixels[m.at].opacity == 0) continue;
    support.Set(static_cast<int>(m.i % static_cast<std::size_t>(mask.Width())),
                static_cast<int>(m.i / static_cast<std::size_t>(mask.Width())), true);
  }
  support.Dilate(std::max(1, kSupportMargin / scale));
  for (int y = 0; y < mask.Height(); ++y)
    for (int x = 0; x < mask.Width(); ++x) support.Set(x, y, support.At(x, y) && mask.At(x, y));
  return support;
}

// The opacity the spreads give the solid part as a whole: a logo at opacity
// a varies (1 - a) times as much as the picture beneath it. The median over
// the solid pixels (60 % or more of the highest opacity) of each one's
// ratio to the spread interpolated beneath it; 1 (no limit) with too few
// pixels to tell.
float OpacityFromSpreads(const Planes& planes, const std::vector<MaskedPixel>& masked,
                         const std::vector<LogoModelPixel>& pixels) {
  std::uint8_t highest = 0;
  for (const MaskedPixel& m : masked) highest = std::max(highest, pixels[m.at].opacity);
  std::vector<float> ratios;
  for (const MaskedPixel& m : masked) {
    const std::uint8_t a = pixels[m.at].opacity;
    const float beneath = m.beneath.values[kSpread];
    if (m.beneath.known && beneath >= LogoModel::kMinSpread && a > 0 && 10 * a >= 6 * highest)
      ratios.push_back(planes.values[kSpread][m.i] / beneath);
  }
  if (ratios.size() < 8) return 1.0f;
  return std::clamp(1.0f - Median(ratios), 0.0f, 1.0f);
}

// The colour that makes the pixel's mean come out exactly: L = (mean - (1 -
// a) beneath) / a, for the opacity as stored. Whatever errors remain in the
// opacity then only scale the picture's variation about its mean, and an
// opacity too low leaves a little of the logo's contrast rather than a
// shifted picture. The opacity is kept under `bound`, but not so low that
// the colour would leave 0..255.
void MatchMeans(const Planes& planes, std::size_t i, const Beneath& beneath, float bound,
                LogoModelPixel& pixel) {
  if (!beneath.known || pixel.opacity == 0) return;
  const Measure means[3] = {kMeanY, kMeanU, kMeanV};
  float lowest = 0.0f;  // the opacity below which some colour leaves 0..255
  for (const Measure m : means) {
    const float below = beneath.values[m], d = planes.values[m][i] - below;
    if (d > 0 && below < 255.0f) lowest = std::max(lowest, d / (255.0f - below));
    if (d < 0 && below > 0.0f) lowest = std::max(lowest, -d / below);
  }
  const auto atLeast = static_cast<std::uint8_t>(std::min(255.0f, std::ceil(255.0f * lowest)));
  pixel.opacity = std::max(std::min(pixel.opacity, Level(255.0f * bound)), atLeast);
  if (pixel.opacity == 0) return;
  const float a = static_cast<float>(pixel.opacity) / 255.0f;
  std::uint8_t* colour[3] = {&pixel.y, &pixel.u, &pixel.v};
  for (int m = 0; m < 3; ++m)
    *colour[m] = Level((planes.values[means[m]][i] - (1.0f - a) * beneath.values[means[m]]) / a);
}

// Faint opacities are dropped first. The found mask has a margin around the
// logo, so the picture beneath is interpolated again from just outside the
// logo's own pixels, which lie nearer (on a film's dark corner that took the
// error of the mean beneath from 1.7 to 0.4 levels). The spreads over the
// whole solid part then bound the opacity: the means alone can split a L
// wrongly when the colour is near the picture's, and too high an opacity
// amplifies the picture beneath instead of restoring it. Last, each colour
// is set to match its mean.
void Settle(const Planes& planes, const LogoMask& mask, std::vector<MaskedPixel>& masked,
            std::vector<LogoModelPixel>& pixels, int scale) {
  for (const MaskedPixel& m : masked)
    if (pixels[m.at].opacity < kFaintest) pixels[m.at].opacity = 0;
  const LogoMask support = Support(mask, masked, pixels, scale);
  const auto width = static_cast<std::size_t>(planes.width);
  for (MaskedPixel& m : masked) {
    if (pixels[m.at].opacity == 0) continue;
    m.beneath = Interpolate(planes, support, static_cast<int>(m.i % width), static_cast<int>(m.i / width));
  }
  const float bound = OpacityFromSpreads(planes, masked, pixels);
  for (const MaskedPixel& m : masked) MatchMeans(planes, m.i, m.beneath, bound, pixels[m.at]);
}

}  // namespace

void LogoModel::Estimate(const LogoStatistics& statistics, const LogoMask& frameMask) {
  width_ = statistics.FrameWidth();
  height_ = statistics.FrameHeight();
  pixels_.assign(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), {});
  if (frameMask.Width() != width_ || frameMask.Height() != height_ || statistics.Samples() == 0) {
    return;
  }
  const LogoMask mask = ToStatistics(frameMask, statistics);
  const Planes planes = MeanPlanes(statistics);
  const int scale = statistics.Scale();
  std::vector<MaskedPixel> masked;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const int sx = x / scale, sy = y / scale;
      if (!frameMask.At(x, y) || sx >= mask.Width() || sy >= mask.Height()) continue;
      const std::size_t i = planes.Index(sx, sy);
      masked.push_back({static_cast<std::size_t>(y) * width_ + x, i, Interpolate(planes, mask, sx, sy)});
    }
  }
  for (const MaskedPixel& m : masked) pixels_[m.at] = EstimatePixel(planes, m.i, m.beneath);
  const LogoColour colour = DominantColour(pixels_);
  for (const MaskedPixel& m : masked) RefinePixel(planes, m.i, m.beneath, colour, pixels_[m.at]);
  Settle(planes, mask, masked, pixels_, scale);
}

}  // namespace kestrimo
