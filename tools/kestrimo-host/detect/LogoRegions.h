// The connected pieces of a LogoMask, and the groups of nearby pieces that
// make up one logo (letters, a sign and its text).
#pragma once

#include <cstdint>
#include <vector>

#include "base/Rect.h"
#include "tools/kestrimo-host/detect/LogoMask.h"

namespace kestrimo {

struct LogoRegion {
  Rect box;
  std::int64_t pixels = 0;
};

class LogoRegions {
 public:
  // Labels the 8-connected pieces of `mask`.
  explicit LogoRegions(const LogoMask& mask);

  const std::vector<LogoRegion>& Regions() const { return regions_; }
  // Label of a pixel: an index into Regions(), or -1 for an unmarked pixel.
  std::int32_t LabelAt(int x, int y) const;

  // Groups the regions for which keep(index) is true: two regions whose
  // boxes come within `gap` pixels of each other belong to one group. Each
  // group is a list of region indices.
  template <typename Keep>
  std::vector<std::vector<std::int32_t>> Group(int gap, Keep keep) const;

  // The pixels of the given regions as a mask of the labelled size.
  LogoMask MaskOf(const std::vector<std::int32_t>& members) const;

 private:
  void Flood(const LogoMask& mask, int x, int y, std::int32_t label);
  std::vector<std::vector<std::int32_t>> GroupKept(int gap, const std::vector<bool>& kept) const;

  int width_ = 0;
  int height_ = 0;
  std::vector<std::int32_t> labels_;
  std::vector<LogoRegion> regions_;
};

template <typename Keep>
std::vector<std::vector<std::int32_t>> LogoRegions::Group(int gap, Keep keep) const {
  std::vector<bool> kept(regions_.size());
  for (std::size_t i = 0; i < regions_.size(); ++i) kept[i] = keep(static_cast<std::int32_t>(i));
  return GroupKept(gap, kept);
}

// The union of two rectangles (an empty one adds nothing).
Rect UnionOf(const Rect& a, const Rect& b);

}  // namespace kestrimo
