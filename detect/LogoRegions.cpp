#include "detect/LogoRegions.h"

#include <algorithm>
#include <cstddef>
#include <utility>

namespace kestrimo {

Rect UnionOf(const Rect& a, const Rect& b) {
  if (a.IsEmpty()) return b;
  if (b.IsEmpty()) return a;
  return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
          std::max(a.bottom, b.bottom)};
}

LogoRegions::LogoRegions(const LogoMask& mask)
    : width_(mask.Width()), height_(mask.Height()),
      labels_(static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_), -1) {
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      if (mask.At(x, y) && LabelAt(x, y) < 0) {
        regions_.push_back({});
        Flood(mask, x, y, static_cast<std::int32_t>(regions_.size() - 1));
      }
    }
  }
}

std::int32_t LogoRegions::LabelAt(int x, int y) const {
  return labels_[static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
                 static_cast<std::size_t>(x)];
}

// Labels one piece with an explicit stack (a piece may be large).
void LogoRegions::Flood(const LogoMask& mask, int x, int y, std::int32_t label) {
  LogoRegion& region = regions_[static_cast<std::size_t>(label)];
  region.box = {x, y, x + 1, y + 1};
  std::vector<std::pair<int, int>> stack{{x, y}};
  labels_[static_cast<std::size_t>(y) * width_ + x] = label;
  while (!stack.empty()) {
    const auto [px, py] = stack.back();
    stack.pop_back();
    ++region.pixels;
    region.box = UnionOf(region.box, {px, py, px + 1, py + 1});
    for (int dy = -1; dy <= 1; ++dy) {
      for (int dx = -1; dx <= 1; ++dx) {
        const int nx = px + dx, ny = py + dy;
        if (nx < 0 || ny < 0 || nx >= width_ || ny >= height_ || !mask.At(nx, ny)) continue;
        std::int32_t& slot = labels_[static_cast<std::size_t>(ny) * width_ + nx];
        if (slot >= 0) continue;
        slot = label;
        stack.emplace_back(nx, ny);
      }
    }
  }
}

}  // namespace kestrimo
