// The 8-connected pieces of a LogoMask: a label per pixel, and each piece's
// box and size.
#pragma once

#include <cstdint>
#include <vector>

#include "base/Rect.h"
#include "detect/LogoMask.h"

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

 private:
  void Flood(const LogoMask& mask, int x, int y, std::int32_t label);

  int width_ = 0;
  int height_ = 0;
  std::vector<std::int32_t> labels_;
  std::vector<LogoRegion> regions_;
};

// The union of two rectangles (an empty one adds nothing).
Rect UnionOf(const Rect& a, const Rect& b);

}  // namespace kestrimo
