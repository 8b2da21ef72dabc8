#include "detect/LogoStatistics.h"

#include <algorithm>
#include <new>

#include "base/FrameGeometry.h"
#include "imaging/ColourCoefficients.h"
#include "imaging/Kernels.h"

namespace kestrimo {
namespace {

std::uint8_t Clamp255(std::int32_t v) {
  return static_cast<std::uint8_t>(std::clamp(v, 0, 255));
}

std::int32_t Weighted(const BgrWeights& w, const std::uint8_t* bgr) {
  return (w.b * bgr[0] + w.g * bgr[1] + w.r * bgr[2]) >> kBgrWeightShift;
}

// The same of the mean of four pixels, two side by side in each row,
// rounded as Mean4 rounds.
std::int32_t Weighted4(const BgrWeights& w, const std::uint8_t* a, const std::uint8_t* b) {
  std::int32_t sum[3];
  for (int c = 0; c < 3; ++c) sum[c] = a[c] + a[c + 3] + b[c] + b[c + 3];
  constexpr int kShift = kBgrWeightShift + 2;
  return (w.b * sum[0] + w.g * sum[1] + w.r * sum[2] + (1 << (kShift - 1))) >> kShift;
}

std::uint8_t Mean4(std::int32_t a, std::int32_t b, std::int32_t c, std::int32_t d) {
  return static_cast<std::uint8_t>((a + b + c + d + 2) >> 2);
}

void SizePlane(PlaneSums& plane, int width, std::size_t pixels, bool squares) {
  plane.width = width;
  plane.gradientX.assign(pixels, 0);
  plane.gradientY.assign(pixels, 0);
  for (auto& count : plane.towards) count.assign(pixels, 0);
  plane.values.assign(pixels, 0);
  plane.squares.assign(squares ? pixels : 0, 0);
}

void ClearPlane(PlaneSums& plane) { plane = PlaneSums{}; }

// One row of one plane into its sums: `above` and `below` are null on the
// frame's first and last rows, where the vertical gradient counts as 0.
void SumRow(const GradientKernels& kernels, const std::uint8_t* above, const std::uint8_t* row,
            const std::uint8_t* below, int step, PlaneSums& plane, std::size_t at) {
  const int n = plane.width;
  if (n >= 3) {
    kernels.sumSteps(row, row + 2, n - 2, step, plane.gradientX.data() + at + 1,
                     plane.towards[0].data() + at + 1, plane.towards[1].data() + at + 1);
  }
  if (above != nullptr && below != nullptr) {
    kernels.sumSteps(above, below, n, step, plane.gradientY.data() + at,
                     plane.towards[2].data() + at, plane.towards[3].data() + at);
  }
  kernels.sumValues(row, n, plane.values.data() + at,
                    plane.squares.empty() ? nullptr : plane.squares.data() + at);
}

}  // namespace

bool LogoStatistics::Start(std::int32_t frameWidth, std::int32_t frameHeight, std::int32_t mode,
                           std::int64_t wholePixels) {
  width_ = height_ = frameWidth_ = frameHeight_ = 0;
  for (PlaneSums& plane : planes_) ClearPlane(plane);
  rowSamples_.clear();
  ClearChanges();
  if (frameWidth < 1 || frameHeight < 1 || std::int64_t{frameWidth} * frameHeight > kMaxPixels ||
      (mode != kFrameModeYuy2 && mode != kFrameModeBgr)) {
    return false;
  }
  scale_ = std::int64_t{frameWidth} * frameHeight > std::min(wholePixels, kMaxWholePixels) ? 2 : 1;
  const std::int32_t width = frameWidth / scale_, height = frameHeight / scale_;
  const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
  const int chromaWidth = width / 2;
  try {
    SizePlane(planes_[0], width, pixels, true);
    for (int p = 1; p < 3; ++p) {
      SizePlane(planes_[p], chromaWidth, static_cast<std::size_t>(chromaWidth) * height, false);
    }
    rowSamples_.assign(static_cast<std::size_t>(height), 0);
    ring_[0].assign(3 * static_cast<std::size_t>(width), 0);
    for (int p = 1; p < 3; ++p) ring_[p].assign(3 * static_cast<std::size_t>(chromaWidth), 0);
    changeRing_.assign(3 * static_cast<std::size_t>(width), 0);
    previous_.assign(pixels, 0);
    changed_.assign(pixels, 0);
    held_.assign(pixels, 0);
    heldBefore_.assign(pixels, 0);
    heldRow_[0].assign(static_cast<std::size_t>(width), 0);
    for (int p = 1; p < 3; ++p) heldRow_[p].assign(static_cast<std::size_t>(std::max(chromaWidth, 1)), 0);
  } catch (const std::bad_alloc&) {
    for (PlaneSums& plane : planes_) ClearPlane(plane);
    rowSamples_.clear();
    ClearChanges();
    return false;
  }
  width_ = width;
  height_ = height;
  frameWidth_ = frameWidth;
  frameHeight_ = frameHeight;
  mode_ = mode;
  kernels_ = &KernelsInUse().gradient;
  return true;
}

std::int32_t LogoStatistics::Samples() const {
  if (rowSamples_.empty()) return 0;
  return *std::min_element(rowSamples_.begin(), rowSamples_.end());
}

const std::uint8_t* LogoStatistics::RingRow(int plane, std::int32_t y) const {
  return ring_[plane].data() + static_cast<std::size_t>(y % 3) * planes_[plane].width;
}

std::uint8_t* LogoStatistics::RingRow(int plane, std::int32_t y) {
  return ring_[plane].data() + static_cast<std::size_t>(y % 3) * planes_[plane].width;
}

void LogoStatistics::ClearChanges() {
  changeRing_.clear();
  previous_.clear();
  changed_.clear();
  held_.clear();
  heldBefore_.clear();
  for (auto& row : heldRow_) row.clear();
}

// How far the ring's luma row y moved since the row's last sample (nothing
// before its first).
void LogoStatistics::LoadChange(std::int32_t y) {
  std::uint8_t* change = changeRing_.data() + static_cast<std::size_t>(y % 3) * width_;
  if (rowSamples_[y] == 0) {
    std::fill(change, change + width_, std::uint8_t{0});
    return;
  }
  const std::uint8_t* luma = RingRow(0, y);
  const std::uint8_t* before = previous_.data() + static_cast<std::size_t>(y) * width_;
  for (int x = 0; x < width_; ++x) {
    change[x] = static_cast<std::uint8_t>(luma[x] > before[x] ? luma[x] - before[x] : before[x] - luma[x]);
  }
}

void LogoStatistics::LoadRow(const std::uint8_t* frame, std::ptrdiff_t stride, std::int32_t y) {
  LoadPlanes(frame, stride, y);
  LoadChange(y);
}

void LogoStatistics::LoadPlanes(const std::uint8_t* frame, std::ptrdiff_t stride, std::int32_t y) {
  ReadRow(frame, stride, y, RingRow(0, y), RingRow(1, y), RingRow(2, y));
}

void LogoStatistics::ReadRow(const std::uint8_t* frame, std::ptrdiff_t stride, std::int32_t y,
                             std::uint8_t* luma, std::uint8_t* u, std::uint8_t* v) const {
  // Frame row r in memory; with halving, row y is the mean of frame rows 2y and 2y + 1.
  const auto rowAt = [&](std::int32_t r) {
    return frame + (mode_ == kFrameModeBgr ? frameHeight_ - 1 - r : r) * stride;
  };
  const std::uint8_t* a = rowAt(scale_ * y);
  const std::uint8_t* b = rowAt(scale_ * y + scale_ - 1);
  const int chromaWidth = planes_[1].width;
  if (scale_ == 2) {
    LoadHalvedRow(a, b, luma, u, v, chromaWidth);
    return;
  }
  if (mode_ == kFrameModeYuy2) {
    for (int x = 0; x < width_; ++x) luma[x] = a[2 * x];
    for (int k = 0; k < chromaWidth; ++k) {
      u[k] = a[4 * k + 1];
      v[k] = a[4 * k + 3];
    }
    return;
  }
  for (int x = 0; x < width_; ++x) luma[x] = Clamp255(Weighted(kLumaWeights, a + 3 * x));
  for (int k = 0; k < chromaWidth; ++k) {
    u[k] = Clamp255(Weighted(kCbWeights, a + 6 * k) + kChromaOffset);
    v[k] = Clamp255(Weighted(kCrWeights, a + 6 * k) + kChromaOffset);
  }
}

// Every value the mean of a 2 x 2 block of frame pixels (chroma: of the
// block's two chroma samples in each row).
void LogoStatistics::LoadHalvedRow(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* luma,
                                   std::uint8_t* u, std::uint8_t* v, int chromaWidth) const {
  if (mode_ == kFrameModeYuy2) {
    for (int x = 0; x < width_; ++x) luma[x] = Mean4(a[4 * x], a[4 * x + 2], b[4 * x], b[4 * x + 2]);
    for (int k = 0; k < chromaWidth; ++k) {
      u[k] = Mean4(a[8 * k + 1], a[8 * k + 5], b[8 * k + 1], b[8 * k + 5]);
      v[k] = Mean4(a[8 * k + 3], a[8 * k + 7], b[8 * k + 3], b[8 * k + 7]);
    }
    return;
  }
  for (int x = 0; x < width_; ++x) {
    luma[x] = Clamp255(Weighted4(kLumaWeights, a + 6 * x, b + 6 * x));
  }
  for (int k = 0; k < chromaWidth; ++k) {
    u[k] = Clamp255(Weighted4(kCbWeights, a + 12 * k, b + 12 * k) + kChromaOffset);
    v[k] = Clamp255(Weighted4(kCrWeights, a + 12 * k, b + 12 * k) + kChromaOffset);
  }
}

void LogoStatistics::AddRow(std::int32_t y) {
  const bool inside = y > 0 && y + 1 < height_;
  for (int p = 0; p < 3; ++p) {
    PlaneSums& plane = planes_[p];
    const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(plane.width);
    const LogoStatistics& self = *this;
    SumRow(*kernels_, inside ? self.RingRow(p, y - 1) : nullptr, self.RingRow(p, y),
           inside ? self.RingRow(p, y + 1) : nullptr, p == 0 ? kLumaStep : kChromaStep, plane, at);
  }
  CountChanges(y);
}

namespace {

// held[x] = 1 where the plane's gradient at x points the way its sums
// point, along the axis they point most, by more than `step`; 0 at the row's
// ends and where the sums' mean is under half a step (no edge of that
// plane there).
// Written without branches, so that the loops over every pixel of every
// sample run on vectors (this file is compiled with the vectoriser's full
// cost model, detect/CMakeLists.txt).
void HeldRow(const PlaneSums& sums, std::size_t at, const std::uint8_t* __restrict above,
             const std::uint8_t* __restrict row, const std::uint8_t* __restrict below, int step,
             std::int32_t samples, std::uint8_t* __restrict held) {
  const int n = sums.width;
  if (n < 1) return;
  held[0] = held[n - 1] = 0;
  // Sums stay within 255 x 255 in size: twice that fits 32 bits.
  const std::int32_t least = step * (samples + 1);
  const std::int32_t* __restrict gx = sums.gradientX.data() + at;
  const std::int32_t* __restrict gy = sums.gradientY.data() + at;
  for (int x = 1; x + 1 < n; ++x) {
    const std::int32_t sx = gx[x], sy = gy[x];
    const std::int32_t signX = sx >> 31, signY = sy >> 31;
    const std::int32_t ax = (sx ^ signX) - signX, ay = (sy ^ signY) - signY;
    const std::int32_t across = -static_cast<std::int32_t>(ax >= ay);  // all ones or none
    const std::int32_t sum = (sx & across) | (sy & ~across);
    const std::int32_t size = (ax & across) | (ay & ~across);
    const std::int32_t dx = row[x + 1] - row[x - 1], dy = below[x] - above[x];
    const std::int32_t now = (dx & across) | (dy & ~across);
    const std::int32_t way = 2 * static_cast<std::int32_t>(sum > 0) - 1;
    held[x] = static_cast<std::uint8_t>(static_cast<std::int32_t>(2 * size > least) &
                                        static_cast<std::int32_t>(now * way > step));
  }
}

// Per pixel x in 1 .. width - 2 of a row: where the four luma neighbours
// changed by more than kChangeLevel (and the row had a sample before),
// a change, and a held one where the edge holds now and held before.
void CountRow(const std::uint8_t* __restrict changeAbove, const std::uint8_t* __restrict change,
              const std::uint8_t* __restrict changeBelow, const std::uint8_t* __restrict lumaHeld,
              const std::uint8_t* __restrict colourHeld, bool counted, int width,
              std::uint8_t* __restrict before, std::uint8_t* __restrict changed,
              std::uint8_t* __restrict held) {
  const std::uint8_t once = counted ? 1 : 0;
  for (int x = 1; x + 1 < width; ++x) {
    const std::uint8_t holds = static_cast<std::uint8_t>(lumaHeld[x] | colourHeld[x >> 1]);
    const int around = changeAbove[x] + changeBelow[x] + change[x - 1] + change[x + 1];
    const std::uint8_t moved = static_cast<std::uint8_t>(once & (around > LogoStatistics::kChangeLevel));
    changed[x] = static_cast<std::uint8_t>(changed[x] + moved);
    held[x] = static_cast<std::uint8_t>(held[x] + (moved & holds & before[x]));
    before[x] = holds;
  }
}

}  // namespace

// After the row's sums took this sample: whether each edge holds now, in
// luma or in either colour plane, and where the four luma neighbours changed
// whether it held both now and at the row's last sample (an edge that comes
// back as something in front of it moves away does not count); then the
// row is kept for the next sample.
void LogoStatistics::CountChanges(std::int32_t y) {
  const std::size_t at = static_cast<std::size_t>(y) * static_cast<std::size_t>(width_);
  const std::uint8_t* row = RingRow(0, y);
  if (y > 0 && y + 1 < height_) {
    const std::int32_t samples = rowSamples_[y];
    for (int p = 0; p < 3; ++p) {
      const PlaneSums& plane = planes_[p];
      HeldRow(plane, static_cast<std::size_t>(y) * static_cast<std::size_t>(plane.width),
              RingRow(p, y - 1), RingRow(p, y), RingRow(p, y + 1), p == 0 ? kLumaStep : kChromaStep,
              samples, heldRow_[p].data());
    }
    const auto changeRow = [&](std::int32_t r) {
      return changeRing_.data() + static_cast<std::size_t>(r % 3) * width_;
    };
    const std::uint8_t *changeAbove = changeRow(y - 1), *change = changeRow(y), *changeBelow = changeRow(y + 1);
    // Either colour plane, per chroma pixel.
    std::uint8_t* colourHeld = heldRow_[1].data();
    const std::uint8_t* vHeld = heldRow_[2].data();
    for (int c = 0; c < planes_[1].width; ++c) colourHeld[c] = static_cast<std::uint8_t>(colourHeld[c] | vHeld[c]);
    CountRow(changeAbove, change, changeBelow, heldRow_[0].data(), colourHeld, samples > 0, width_,
             heldBefore_.data() + at, changed_.data() + at, held_.data() + at);
  }
  std::copy(row, row + width_, previous_.begin() + static_cast<std::ptrdiff_t>(at));
}

void LogoStatistics::AddRows(const std::uint8_t* frame, std::ptrdiff_t stride, std::int32_t first,
                             std::int32_t count) {
  if (frame == nullptr || width_ == 0) return;
  const std::int32_t begin = std::max(first, 0);
  const std::int32_t end = static_cast<std::int32_t>(
      std::min<std::int64_t>(std::int64_t{first} + std::max(count, 0), height_));
  if (begin >= end) return;
  if (begin > 0) LoadRow(frame, stride, begin - 1);
  LoadRow(frame, stride, begin);
  for (std::int32_t y = begin; y < end; ++y) {
    if (y + 1 < height_) LoadRow(frame, stride, y + 1);
    if (rowSamples_[y] >= kMaxSamples) continue;
    AddRow(y);
    ++rowSamples_[y];
  }
}

}  // namespace kestrimo
