#include "detect/ShapePresence.h"

#include <algorithm>
#include <cstdlib>

namespace kestrimo {

ShapePresence::ShapePresence(const LogoStatistics& statistics, const LogoMask& edges)
    : statistics_(statistics) {
  const int width = statistics.Width(), height = statistics.Height();
  if (edges.Width() != width || edges.Height() != height) return;
  top_ = height;
  for (int y = 1; y + 1 < height; ++y) {
    const float samples = static_cast<float>(std::max(statistics.RowSamples(y), 1));
    for (int x = 1; x + 1 < width; ++x) {
      if (!edges.At(x, y)) continue;
      Edge best{x, y, -1, true, true, 0};
      float strongest = 0.5f;  // a mean of at least half a step
      for (int p = 0; p < 3; ++p) {
        const PlaneSums& plane = statistics.Plane(p);
        const int px = p == 0 ? x : x / 2;
        if (px < 1 || px + 1 >= plane.width) continue;
        const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(plane.width) +
                              static_cast<std::size_t>(px);
        const int step = p == 0 ? LogoStatistics::kLumaStep : LogoStatistics::kChromaStep;
        const std::int32_t sx = plane.gradientX[i], sy = plane.gradientY[i];
        const bool across = std::abs(sx) >= std::abs(sy);
        const std::int32_t sum = across ? sx : sy;
        const float strength = static_cast<float>(std::abs(sum)) / samples / static_cast<float>(step);
        if (strength <= strongest) continue;
        strongest = strength;
        best = {px, y, p, across, sum > 0, step};
      }
      if (best.plane < 0) continue;
      edges_.push_back(best);
      top_ = std::min(top_, y - 1);
      bottom_ = std::max(bottom_, y + 2);
    }
  }
  if (edges_.empty()) return;
  const auto rows = static_cast<std::size_t>(bottom_ - top_);
  rows_[0].assign(rows * static_cast<std::size_t>(width), 0);
  for (int p = 1; p < 3; ++p) rows_[p].assign(rows * static_cast<std::size_t>(statistics.Plane(p).width), 0);
}

double ShapePresence::Shows(const std::uint8_t* frame, std::ptrdiff_t stride) {
  if (edges_.empty() || frame == nullptr) return 0.0;
  int widths[3];
  for (int p = 0; p < 3; ++p) widths[p] = statistics_.Plane(p).width;
  const auto at = [&](int p, int y) {
    return rows_[p].data() + static_cast<std::size_t>(y - top_) * static_cast<std::size_t>(widths[p]);
  };
  for (int y = top_; y < bottom_; ++y) statistics_.ReadRow(frame, stride, y, at(0, y), at(1, y), at(2, y));
  std::size_t holding = 0;
  for (const Edge& e : edges_) {
    const int now = e.across ? at(e.plane, e.y)[e.x + 1] - at(e.plane, e.y)[e.x - 1]
                             : at(e.plane, e.y + 1)[e.x] - at(e.plane, e.y - 1)[e.x];
    holding += e.rising ? now > e.step : now < -e.step;
  }
  return static_cast<double>(holding) / static_cast<double>(edges_.size());
}

}  // namespace kestrimo
