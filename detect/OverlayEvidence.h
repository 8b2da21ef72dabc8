// What a group of lasting edges shows of itself over the samples, to tell an
// overlay (a logo, a tag) from the picture's own still parts. An overlay
// stays on top: its edges hold while the picture around them changes.
// Scenery that a fixed camera sees is hidden when something passes in front
// of it, and its edges break then. An edge that lasts only because the
// picture slides along it (horizontal lines under a horizontal pan) lasts
// in one direction only, while a logo's letters and marks have lasting
// edges both across and down.
#pragma once

#include <cstddef>
#include <cstdint>

#include "detect/LogoStatistics.h"

namespace kestrimo {

class OverlayEvidence {
 public:
  enum class Kind {
    Overlay,   // its edges held while the picture around them changed
    Scenery,   // its edges broke when the picture around them changed
    Line,      // edges that last in one direction only
    Unproven,  // the picture around it hardly ever changed: no telling
  };
  // Below this mean share of samples in which an edge's surroundings changed,
  // nothing ever passed: no telling.
  static constexpr double kMinChangedShare = 0.005;
  // Edges of an overlay hold in at least this share of those samples.
  static constexpr double kMinHeldShare = 0.5;
  // Each of the two directions has at least this share of an overlay's edges.
  static constexpr double kMinCrossShare = 0.08;

  // Adds edge pixel (x, y) of the statistics.
  void Add(const LogoStatistics& statistics, int x, int y);
  Kind Judge() const;

  std::int64_t Edges() const { return edges_; }
  double ChangedShare() const;
  double HeldShare() const;

 private:
  std::int64_t edges_ = 0;
  std::int64_t across_ = 0;    // edges whose gradient lasts along x
  std::int64_t chances_ = 0;   // samples after each edge's first
  std::int64_t changed_ = 0;
  std::int64_t held_ = 0;
};

}  // namespace kestrimo
