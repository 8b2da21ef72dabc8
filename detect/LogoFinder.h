// Finds a broadcaster's logo in LogoStatistics: the edges that stay (their
// mean gradient is strong, and they point the same way in most samples)
// near the top or bottom of the picture (inside any bars), joined into one
// overlay when a few pixels apart, closed, filled and grown over
// anti-aliased rims. Each group must show itself an overlay: its edges held
// while the picture around them changed, and they last both across and
// down (OverlayEvidence). A clip whose centre has lasting edges too (a still
// camera), or whose only lasting shapes never had anything change around
// them, cannot tell a logo from the picture and gets no answer rather than
// a wrong one.
#pragma once

#include <cstdint>
#include <vector>

#include "base/Rect.h"
#include "detect/LogoMask.h"
#include "detect/LogoStatistics.h"

namespace kestrimo {

// One overlay found: its pixels at the frame's size, their box, and its
// edge strength (the sum over its edges of their strength against the
// picture's own).
struct FoundOverlay {
  LogoMask mask;
  Rect box;
  double score = 0;
};

struct LogoSearch {
  enum class Outcome { Found, TooFewSamples, StillCamera, NoLogo };
  Outcome outcome = Outcome::NoLogo;
  LogoMask mask;            // the logo's pixels (overlays.front()), at the frame's size
  Rect box;                 // the smallest rectangle around them
  std::vector<FoundOverlay> overlays;  // every overlay found: the logo, then the others strongest first
  Rect picture;             // the picture inside any bars, frame pixels
  std::int32_t samples = 0;  // samples of the row with fewest
  double stillShare = 0;    // share of the centre with lasting edges
  double movingShare = 0;   // share of the centre that moves
  // The lasting edges (pixels of the statistics) of the overlays, in their
  // order, then of the shapes taken for hidden scenery, strongest first: a
  // second look at the frames can tell whether one shows only in some.
  std::vector<LogoMask> shapes;
  std::int32_t unproven = 0;  // lasting shapes nothing ever changed around
  std::int32_t scenery = 0;   // lasting shapes hidden by what passed in front
};

class LogoFinder {
 public:
  // Fewer samples than this tell too little apart.
  static constexpr std::int32_t kMinSamples = 16;
  // An edge lasts when its gradient points one way in more than 7 samples of 10.
  static constexpr int kLastingTenths = 7;
  // Edges lasting in half the samples: shapes a second look at the frames
  // may find shown in some and not at all in others.
  static constexpr int kLooseLastingTenths = 5;
  // Above this share of lasting edges in the centre, the camera stands still.
  static constexpr double kMaxStillShare = 0.02;
  // Below this share of the centre's pixels spreading over more than
  // kMovingSpread levels, nothing moves: a still picture.
  static constexpr double kMinMovingShare = 0.05;
  static constexpr float kMovingSpread = 2.0f;
  // A logo's edge is this many times stronger than the centre's median.
  static constexpr float kStrength = 4.0f;
  // Logos sit in the top and bottom bands of this share of the picture's
  // height, and reach at most this share into it.
  static constexpr double kBand = 0.22;
  static constexpr double kReach = 0.36;
  // Overlays listed at most.
  static constexpr std::size_t kMaxOverlays = 4;
  // The logo is the overlay nearest a corner of the picture among those at
  // least this share as strong as the strongest.
  static constexpr double kLogoShare = 0.33;
  // Rows or columns with edges over this share of the frame are lines of the
  // picture (bars, a horizon), not a logo.
  static constexpr double kLineShare = 0.3;
  // Groups larger than these shares of the frame are not a logo.
  static constexpr double kMaxWidthShare = 0.45;
  static constexpr double kMaxHeightShare = 0.3;
  // Edges this close to the picture's sides are its border against a bar
  // (soft over a pixel or two, more in frames looked at in halves), not a logo.
  static constexpr int kSideMargin = 3;
  // Groups with fewer edge pixels are noise.
  static constexpr std::int64_t kMinEdgePixels = 20;
  // Pixels the filled logo is grown by, over anti-aliased rims.
  static constexpr int kGrow = 2;

  explicit LogoFinder(int lastingTenths = kLastingTenths) : lastingTenths_(lastingTenths) {}

  LogoSearch Find(const LogoStatistics& statistics) const;

 private:
  int lastingTenths_;
};

// True when `found` holds a logo whose box (frame pixels) overlaps `shape`,
// a shape of statistics kept at `scale` frame pixels to a pixel: the same
// logo, found again by a second look.
bool FoundAgain(const LogoSearch& found, const LogoMask& shape, int scale);

}  // namespace kestrimo
