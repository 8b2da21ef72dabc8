#include "detect/ActivePicture.h"

#include <algorithm>

namespace kestrimo {
namespace {

// Luma mean and spread per pixel of the statistics.
struct Still {
  const LogoStatistics& statistics;

  bool Flat(int x, int y, float& low, float& high) const {
    const PlaneSums& luma = statistics.Plane(0);
    const int samples = statistics.RowSamples(y);
    if (samples == 0) return false;
    const auto n = static_cast<float>(samples);
    const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(luma.width) +
                          static_cast<std::size_t>(x);
    const float mean = static_cast<float>(luma.values[i]) / n;
    const float variance = static_cast<float>(luma.squares[i]) / n - mean * mean;
    low = std::min(low, mean);
    high = std::max(high, mean);
    return variance <= ActivePicture::kMaxSpread * ActivePicture::kMaxSpread;
  }

  // Every pixel of the line from begin to end flat, all at one level.
  bool Bar(int fixed, bool row, int begin, int end) const {
    float low = 255.0f, high = 0.0f;
    for (int i = begin; i < end; ++i) {
      if (!(row ? Flat(i, fixed, low, high) : Flat(fixed, i, low, high))) return false;
    }
    return high - low <= ActivePicture::kMaxRange;
  }

  // Lines of bar from one edge inwards (0 when they would take too much).
  int Run(int count, bool row, bool fromStart, int begin, int end) const {
    const int most = static_cast<int>(count * ActivePicture::kMaxBarShare);
    int run = 0;
    while (run <= most && Bar(fromStart ? run : count - 1 - run, row, begin, end)) ++run;
    return run > most ? 0 : run;
  }
};

}  // namespace

Rect ActivePicture::Find(const LogoStatistics& statistics) {
  const int width = statistics.Width(), height = statistics.Height();
  const Still still{statistics};
  const int top = still.Run(height, true, true, 0, width);
  const int bottom = still.Run(height, true, false, 0, width);
  // Columns are looked at between the bars above and below.
  const int left = still.Run(width, false, true, top, height - bottom);
  const int right = still.Run(width, false, false, top, height - bottom);
  return {left, top, width - right, height - bottom};
}

}  // namespace kestrimo
