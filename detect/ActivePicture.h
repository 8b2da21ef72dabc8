// The picture inside the bars: a film's letterbox above and below, a 4:3
// programme's pillarbox at the sides. A bar is a run of rows (or columns)
// at the frame's edge that stayed one flat level through the samples; a
// logo sits near the edges of the picture, not of the frame.
#pragma once

#include "base/Rect.h"
#include "detect/LogoStatistics.h"

namespace kestrimo {

class ActivePicture {
 public:
  // A bar's line: its pixels spread over time by at most this (levels)...
  static constexpr float kMaxSpread = 2.5f;
  // ...and their means lie within this many levels of each other.
  static constexpr float kMaxRange = 16.0f;
  // Bars that would take more than this share of a side are no bars.
  static constexpr double kMaxBarShare = 0.34;

  // The picture in pixels of the statistics: the whole frame without bars.
  static Rect Find(const LogoStatistics& statistics);
};

}  // namespace kestrimo
