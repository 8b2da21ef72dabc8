// Finds a broadcaster's logo from per-pixel statistics: the pixels that both
// spread and change (nearly) not at all while the picture around them moves, cleaned up, in the
// corner and edge zones where logos sit, and of those the group with the
// most drawing: the strongest edges in the mean picture. A still patch of
// plain background (sky that a pan leaves alike) has none; a logo has its
// outline and letters.
#pragma once

#include <cstdint>
#include <vector>

#include "base/Rect.h"
#include "tools/kestrimo-host/detect/LogoMask.h"
#include "tools/kestrimo-host/detect/LogoRegions.h"
#include "tools/kestrimo-host/detect/LogoStatistics.h"

namespace kestrimo {

struct LogoSearch {
  enum class Outcome { Found, TooFewFrames, StillPicture, NoStableArea };
  Outcome outcome = Outcome::NoStableArea;
  LogoMask mask;         // the logo's pixels, frame coordinates
  Rect box;              // the smallest rectangle around them
  double movingShare = 0;  // share of the frame's pixels that change
  std::int32_t otherAreas = 0;  // further still areas passed over
};

class LogoDetector {
 public:
  // Fewer frames looked at than this tell too little apart.
  static constexpr std::int32_t kMinSamples = 16;
  // A pixel whose luma deviates less than this (in 0..255 levels) does not move.
  static constexpr float kMovingLevel = 2.0f;
  // Below this share of moving pixels the recording counts as a still picture.
  static constexpr double kMinMovingShare = 0.05;
  // A logo pixel changes less than this share of its surroundings' change:
  // an opaque logo not at all, one blended at opacity a by 1 - a.
  static constexpr float kStillRatio = 0.6f;
  // Surroundings that spread less than this tell nothing apart.
  static constexpr float kMinSurroundingLevel = 3.0f;
  // A mean change from frame to frame below this counts as none.
  static constexpr float kChangingLevel = 0.5f;

  LogoSearch Find(const LogoStatistics& statistics) const;

 private:
  // How much the picture around each block of pixels changes, by one measure.
  std::vector<float> SurroundingLevels(const std::vector<float>& measure, int width,
                                       int height, float movingLevel) const;
  LogoMask StillPixels(const LogoStatistics& statistics, const std::vector<float>& deviations) const;
  // Sum of the edge strength of the mean picture over the group's pixels.
  double Drawing(const LogoRegions& regions, const std::vector<std::int32_t>& group,
                 const std::vector<float>& means, int width, int height) const;
  bool LikelyLogoRegion(const Rect& box, std::int64_t pixels, int width, int height) const;
};

}  // namespace kestrimo
