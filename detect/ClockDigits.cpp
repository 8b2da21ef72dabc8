#include "detect/ClockDigits.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>
#include <vector>

namespace kestrimo {
namespace {

// 0 for no edge, else 1 + the direction of the stronger gradient (+x, -x,
// +y, -y), at pixel p of a picture `width` pixels wide.
std::uint8_t EdgeState(const std::uint8_t* p, std::int32_t width) {
  const int gx = p[1] - p[-1];
  const int gy = p[width] - p[-width];
  if (std::max(std::abs(gx), std::abs(gy)) < ClockDigits::kEdgeLevel) return 0;
  if (std::abs(gx) >= std::abs(gy)) return gx > 0 ? 1 : 2;
  return gy > 0 ? 3 : 4;
}

// True when the sample indices (ascending) are at least kMinTicks and
// spaced alike to within a sample.
bool Spaced(const std::vector<int>& ticks) {
  if (static_cast<int>(ticks.size()) < ClockDigits::kMinTicks) return false;
  int shortest = ticks[1] - ticks[0], longest = shortest;
  for (std::size_t i = 2; i < ticks.size(); ++i) {
    shortest = std::min(shortest, ticks[i] - ticks[i - 1]);
    longest = std::max(longest, ticks[i] - ticks[i - 1]);
  }
  return shortest > 1 && longest - shortest <= 1;
}

// Spaced, but for at most one tick out of step: a cut while the clock is
// watched changes the picture around it once, at its own time.
bool Regular(const std::vector<int>& ticks) {
  if (Spaced(ticks)) return true;
  for (std::size_t skip = 0; skip < ticks.size(); ++skip) {
    std::vector<int> others = ticks;
    others.erase(others.begin() + static_cast<std::ptrdiff_t>(skip));
    if (Spaced(others)) return true;
  }
  return false;
}

}  // namespace

Rect ClockDigits::Area(const Rect& box, std::int32_t width, std::int32_t height) {
  const int reach = box.Height();
  return Rect{std::max(0, box.left - reach - 1), std::max(0, box.top - 1),
              std::min(width, box.right + reach + 1), std::min(height, box.bottom + 1)};
}

bool ClockDigits::Ticking(const std::uint8_t* samples, std::int32_t count, std::int32_t width,
                          std::int32_t height) {
  const int n = count;
  if (n < 2 * kMinTicks || width < 3 || height < 3) return false;
  // Per inner pixel and sample its edge state. Pixels are judged after all
  // samples, so their changes are kept per sample first.
  const std::size_t area = static_cast<std::size_t>(width) * height;
  const std::size_t pixels = static_cast<std::size_t>(width - 2) * (height - 2);
  std::vector<std::uint8_t> states(pixels * static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) {
    const std::uint8_t* picture = samples + static_cast<std::size_t>(i) * area;
    std::uint8_t* out = states.data() + static_cast<std::size_t>(i) * pixels;
    for (int y = 1; y < height - 1; ++y)
      for (int x = 1; x < width - 1; ++x) *out++ = EdgeState(picture + y * width + x, width);
  }
  // Per sample: how many digit-like pixels changed then.
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
  // The ticks: samples at which a quarter of the digit pixels or more
  // changed. The other sample with the most changes may be a cut, and is
  // not counted against them.
  std::vector<int> ticks;
  std::int64_t together = 0, cut = 0;
  for (int i = 1; i < n; ++i) {
    const std::int64_t changes = changesAt[static_cast<std::size_t>(i)];
    if (4 * changes < digitPixels) {
      cut = std::max(cut, changes);
      continue;
    }
    ticks.push_back(i);
    together += changes;
  }
  return together >= kMinTogetherShare * static_cast<double>(digitChanges - cut) && Regular(ticks);
}

}  // namespace kestrimo
