#include "detect/ClockWatch.h"

#include "base/FrameGeometry.h"
#include "detect/ClockDigits.h"

namespace kestrimo {
namespace {

// The luma of `area` of a frame, row by row from the top: Y of YUY2, or a
// mean weighted like it of bottom-up B, G, R.
void CopyLuma(const std::uint8_t* frame, std::ptrdiff_t stride, std::int32_t mode,
              std::int32_t height, const Rect& area, std::uint8_t* out) {
  for (int y = area.top; y < area.bottom; ++y) {
    if (mode == kFrameModeYuy2) {
      const std::uint8_t* row = frame + y * stride;
      for (int x = area.left; x < area.right; ++x) *out++ = row[2 * x];
    } else {
      const std::uint8_t* row = frame + (height - 1 - y) * stride;
      for (int x = area.left; x < area.right; ++x) {
        const std::uint8_t* p = row + 3 * x;
        *out++ = static_cast<std::uint8_t>((p[0] + 2 * p[1] + p[2]) / 4);
      }
    }
  }
}

std::int64_t Pixels(const Rect& area) { return std::int64_t{area.Width()} * area.Height(); }

}  // namespace

void ClockWatch::Start(const LogoSearch& search, std::int32_t width, std::int32_t height,
                       std::int32_t samples) {
  height_ = height;
  samples_ = samples;
  taken_ = 0;
  areas_.clear();
  luma_.clear();
  for (const FoundOverlay& overlay : search.overlays) {
    Rect area = ClockDigits::Area(overlay.box, width, height);
    if (Pixels(area) > kMaxAreaPixels) area = Rect{};
    areas_.push_back(area);
    luma_.emplace_back(static_cast<std::size_t>(Pixels(area) * samples));
  }
}

void ClockWatch::Add(const std::uint8_t* frame, std::ptrdiff_t stride, std::int32_t mode) {
  if (Full()) return;
  for (std::size_t i = 0; i < areas_.size(); ++i) {
    if (Pixels(areas_[i]) == 0) continue;
    CopyLuma(frame, stride, mode, height_, areas_[i],
             luma_[i].data() + static_cast<std::size_t>(Pixels(areas_[i]) * taken_));
  }
  ++taken_;
}

std::vector<Rect> ClockWatch::LeaveOutClocks(LogoSearch& search) const {
  std::vector<Rect> clocks;
  if (search.outcome != LogoSearch::Outcome::Found) return clocks;
  // From the last, so that the indices of those before stay; the shapes
  // list the overlays' edges first, in the same order.
  for (std::size_t i = std::min(search.overlays.size(), areas_.size()); i-- > 0;) {
    const Rect& area = areas_[i];
    if (Pixels(area) == 0 || !ClockDigits::Ticking(luma_[i].data(), taken_, area.Width(), area.Height()))
      continue;
    clocks.insert(clocks.begin(), search.overlays[i].box);
    search.overlays.erase(search.overlays.begin() + static_cast<std::ptrdiff_t>(i));
    if (i < search.shapes.size())
      search.shapes.erase(search.shapes.begin() + static_cast<std::ptrdiff_t>(i));
  }
  if (search.overlays.empty()) {
    search.outcome = LogoSearch::Outcome::NoLogo;
    return clocks;
  }
  search.mask = search.overlays.front().mask;
  search.box = search.overlays.front().box;
  return clocks;
}

}  // namespace kestrimo
