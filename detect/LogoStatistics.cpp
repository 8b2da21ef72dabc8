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

bool LogoStatistics::Start(std::int32_t width, std::int32_t height, std::int32_t mode) {
  width_ = height_ = 0;
  for (PlaneSums& plane : planes_) ClearPlane(plane);
  rowSamples_.clear();
  if (width < 1 || height < 1 || std::int64_t{width} * height > kMaxPixels ||
      (mode != kFrameModeYuy2 && mode != kFrameModeBgr)) {
    return false;
  }
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
  } catch (const std::bad_alloc&) {
    for (PlaneSums& plane : planes_) ClearPlane(plane);
    rowSamples_.clear();
    return false;
  }
  width_ = width;
  height_ = height;
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

void LogoStatistics::LoadRow(const std::uint8_t* frame, std::ptrdiff_t stride, std::int32_t y) {
  const std::int32_t memoryRow = mode_ == kFrameModeBgr ? height_ - 1 - y : y;
  const std::uint8_t* source = frame + memoryRow * stride;
  std::uint8_t* luma = RingRow(0, y);
  std::uint8_t* u = RingRow(1, y);
  std::uint8_t* v = RingRow(2, y);
  const int chromaWidth = planes_[1].width;
  if (mode_ == kFrameModeYuy2) {
    for (int x = 0; x < width_; ++x) luma[x] = source[2 * x];
    for (int k = 0; k < chromaWidth; ++k) {
      u[k] = source[4 * k + 1];
      v[k] = source[4 * k + 3];
    }
    return;
  }
  for (int x = 0; x < width_; ++x) luma[x] = Clamp255(Weighted(kLumaWeights, source + 3 * x));
  for (int k = 0; k < chromaWidth; ++k) {
    u[k] = Clamp255(Weighted(kCbWeights, source + 6 * k) + kChromaOffset);
    v[k] = Clamp255(Weighted(kCrWeights, source + 6 * k) + kChromaOffset);
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
