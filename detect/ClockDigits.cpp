#include "detect/ClockDigits.h"

#include <algorithm>
#include <cstdlib>

#include "base/FrameGeometry.h"

namespace kestrimo {
namespace {

// The luma of frame pixel (x, y): Y of YUY2, or a mean weighted like it of
// bottom-up B, G, R.
int Luma(const std::uint8_t* frame, std::ptrdiff_t stride, std::int32_t mode, std::int32_t height,
         int x, int y) {
  if (mode == kFrameModeYuy2) return frame[y * stride + 2 * x];
  const std::uint8_t* p = frame + (height - 1 - y) * stride + 3 * x;
  return (p[0] + 2 * p[1] + p[2]) / 4;
}

// 0 for no edge, else 1 + the direction of the stronger gradient (+x, -x,
// +y, -y).
std::uint8_t EdgeState(const std::uint8_t* frame, std::ptrdiff_t stride, std::int32_t mode,
                       std::int32_t height, int x, int y) {
  const int gx = Luma(frame, stride, mode, height, x + 1, y) - Luma(frame, stride, mode, height, x - 1, y);
  const int gy = Luma(frame, stride, mode, height, x, y + 1) - Luma(frame, stride, mode, height, x, y - 1);
  if (std::max(std::abs(gx), std::abs(gy)) < ClockDigits::kEdgeLevel) return 0;
  if (std::abs(gx) >= std::abs(gy)) return gx > 0 ? 1 : 2;
  return gy > 0 ? 3 : 4;
}

// True when the sample indices (ascending) are at least kMinTicks and
// spaced alike to within a sample.
bool Regular(const std::vector<int>& ticks) {
  if (static_cast<int>(ticks.size()) < ClockDigits::kMinTicks) return false;
  int shortest = ticks[1] - ticks[0], longest = shortest;
  for (std::size_t i = 2; i < ticks.size(); ++i) {
    shortest = std::min(shortest, ticks[i] - ticks[i - 1]);
    longest = std::max(longest, ticks[i] - ticks[i - 1]);
  }
  return shortest > 1 && longest - shortest <= 1;
}

}  // namespace

bool ClockDigits::Beside(const std::vector<std::vector<std::uint8_t>>& frames,
                         std::ptrdiff_t stride, std::int32_t mode, std::int32_t width,
                         std::int32_t height, const Rect& box) {
  const int n = static_cast<int>(frames.size());
  const int reach = box.Height();
  const int left = std::max(1, box.left - reach), right = std::min(width - 1, box.right + reach);
  const int top = std::max(1, box.top), bottom = std::min(height - 1, box.bottom);
  if (n < 2 * kMinTicks || left >= right || top >= bottom) return false;
  // Per pixel of the band: its edge in the last sample; per sample: how
  // many digit-like pixels changed then. Pixels are judged after all
  // samples, so their changes are kept per sample first.
  const std::size_t pixels = static_cast<std::size_t>(right - left) * (bottom - top);
  std::vector<std::uint8_t> states(pixels * static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    std::uint8_t* out = states.data() + static_cast<std::size_t>(i) * pixels;
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) *out++ = EdgeState(frames[i].data(), stride, mode, height, x, y);
  }
  std::vector<std::int64_t> changesAt(static_cast<std::size_t>(n), 0);
  std::int64_t digitPixels = 0, digitChanges = 0;
  for (std::size_t p = 0; p < pixels; ++p) {
    int edges = 0, changes = 0;
    for (int i = 0; i < n; ++i) {
      const std::uint8_t s = states[static_cast<std::size_t>(i) * pixels + p];
      edges += s != 0;
      changes += i > 0 && s != states[static_cast<std::size_t>(i - 1) * pixels + p];
    }
    if (edges < kMinEdgeShare * n || edges > kMaxEdgeShare * n || changes == 0 ||
        changes > kMaxChangeShare * (n - 1))
      continue;
    ++digitPixels;
    digitChanges += changes;
    for (int i = 1; i < n; ++i)
      changesAt[static_cast<std::size_t>(i)] +=
          states[static_cast<std::size_t>(i) * pixels + p] !=
          states[static_cast<std::size_t>(i - 1) * pixels + p];
  }
  if (digitPixels < kMinDigitPixels) return false;
  // The ticks: samples at which a quarter of the digit pixels or more changed.
  std::vector<int> ticks;
  std::int64_t together = 0;
  for (int i = 1; i < n; ++i) {
    if (4 * changesAt[static_cast<std::size_t>(i)] < digitPixels) continue;
    ticks.push_back(i);
    together += changesAt[static_cast<std::size_t>(i)];
  }
  return together >= kMinTogetherShare * static_cast<double>(digitChanges) && Regular(ticks);
}

}  // namespace kestrimo
