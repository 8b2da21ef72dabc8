// Whether one sampled frame shows a shape found in the statistics: the
// share of its lasting edges whose gradient, in that frame, points the way
// it points over all samples. A logo taken off for an ad break shows in
// some frames and not at all in others; its colour and opacity are then
// estimated from the frames that show it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "detect/LogoMask.h"
#include "detect/LogoStatistics.h"

namespace kestrimo {

class ShapePresence {
 public:
  // A frame shows the shape when at least this share of its edges hold, and
  // clearly does not when at most kHiddenShare do.
  static constexpr double kShownShare = 0.6;
  static constexpr double kHiddenShare = 0.35;

  // `edges` (of the statistics' size) are the shape's lasting edges.
  ShapePresence(const LogoStatistics& statistics, const LogoMask& edges);

  // The share of the edges that hold in a frame of the statistics' format.
  double Shows(const std::uint8_t* frame, std::ptrdiff_t stride);

 private:
  struct Edge {
    int x, y;
    int plane;       // the plane whose mean gradient is the strongest against its step
    bool across;     // along x (else along y)
    bool rising;
    int step;
  };

  const LogoStatistics& statistics_;
  std::vector<Edge> edges_;
  int top_ = 0, bottom_ = 0;  // rows read per frame
  std::vector<std::uint8_t> rows_[3];
};

}  // namespace kestrimo
