#include "tools/kestrimo-host/detect/LogoRegions.h"

#include <algorithm>
#include <cstddef>
#include <numeric>
#include <utility>

namespace kestrimo {
namespace {

bool Near(const Rect& a, const Rect& b, int gap) {
  return a.left - gap < b.right && b.left - gap < a.right && a.top - gap < b.bottom &&
         b.top - gap < a.bottom;
}

std::int32_t Root(std::vector<std::int32_t>& parent, std::int32_t i) {
  while (parent[i] != i) i = parent[i] = parent[parent[i]];
  return i;
}

}  // namespace

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

std::vector<std::vector<std::int32_t>> LogoRegions::GroupKept(int gap,
                                                              const std::vector<bool>& kept) const {
  const auto count = static_cast<std::int32_t>(regions_.size());
  std::vector<std::int32_t> parent(regions_.size());
  std::iota(parent.begin(), parent.end(), 0);
  std::vector<Rect> boxes(regions_.size());
  for (std::int32_t i = 0; i < count; ++i) boxes[i] = regions_[i].box;
  std::vector<std::int32_t> members;
  for (std::int32_t i = 0; i < count; ++i) {
    if (kept[i]) members.push_back(i);
  }
  // Joining grows a group's box, which may bring it near others: repeat until still.
  for (bool joined = true; joined;) {
    joined = false;
    for (std::size_t m = 0; m < members.size(); ++m) {
      for (std::size_t n = m + 1; n < members.size(); ++n) {
        const std::int32_t a = Root(parent, members[m]), b = Root(parent, members[n]);
        if (a == b || !Near(boxes[a], boxes[b], gap)) continue;
        parent[b] = a;
        boxes[a] = UnionOf(boxes[a], boxes[b]);
        joined = true;
      }
    }
  }
  std::vector<std::vector<std::int32_t>> groups;
  std::vector<std::int32_t> groupOf(regions_.size(), -1);
  for (std::int32_t i = 0; i < count; ++i) {
    if (!kept[i]) continue;
    const std::int32_t root = Root(parent, i);
    if (groupOf[root] < 0) {
      groupOf[root] = static_cast<std::int32_t>(groups.size());
      groups.emplace_back();
    }
    groups[groupOf[root]].push_back(i);
  }
  return groups;
}

LogoMask LogoRegions::MaskOf(const std::vector<std::int32_t>& members) const {
  LogoMask mask(width_, height_);
  std::vector<bool> wanted(regions_.size(), false);
  for (std::int32_t m : members) wanted[static_cast<std::size_t>(m)] = true;
  for (int y = 0; y < height_; ++y) {
    for (int x = 0; x < width_; ++x) {
      const std::int32_t label = LabelAt(x, y);
      if (label >= 0 && wanted[label]) mask.Set(x, y, true);
    }
  }
  return mask;
}

}  // namespace kestrimo
