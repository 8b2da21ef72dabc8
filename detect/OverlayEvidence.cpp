#include "detect/OverlayEvidence.h"

#include <algorithm>
#include <cstdlib>

namespace kestrimo {

void OverlayEvidence::Add(const LogoStatistics& statistics, int x, int y) {
  const PlaneSums& luma = statistics.Plane(0);
  const std::size_t i = static_cast<std::size_t>(y) * static_cast<std::size_t>(luma.width) +
                        static_cast<std::size_t>(x);
  ++edges_;
  across_ += std::max(luma.towards[0][i], luma.towards[1][i]) >=
             std::max(luma.towards[2][i], luma.towards[3][i]);
  chances_ += std::max(statistics.RowSamples(y) - 1, 0);
  changed_ += statistics.Changed()[i];
  held_ += statistics.Held()[i];
}

double OverlayEvidence::ChangedShare() const {
  return chances_ > 0 ? static_cast<double>(changed_) / static_cast<double>(chances_) : 0.0;
}

double OverlayEvidence::HeldShare() const {
  return changed_ > 0 ? static_cast<double>(held_) / static_cast<double>(changed_) : 0.0;
}

OverlayEvidence::Kind OverlayEvidence::Judge() const {
  const std::int64_t fewer = std::min(across_, edges_ - across_);
  if (static_cast<double>(fewer) < kMinCrossShare * static_cast<double>(edges_)) return Kind::Line;
  if (ChangedShare() < kMinChangedShare) return Kind::Unproven;
  return HeldShare() < kMinHeldShare ? Kind::Scenery : Kind::Overlay;
}

}  // namespace kestrimo
