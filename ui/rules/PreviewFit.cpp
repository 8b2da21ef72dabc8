#include "ui/rules/PreviewFit.h"

namespace kestrimo::ui {

Rect FitPreview(const Rect& source, Size canvas) {
  if (source.IsEmpty() || canvas.width <= 0 || canvas.height <= 0) return Rect{};
  const std::int32_t w = canvas.width;
  const std::int32_t h = canvas.height;
  // Sides are differences of 32-bit values: taken wide, they cannot overflow.
  const double aspect = static_cast<double>(std::int64_t{source.right} - source.left) /
                        static_cast<double>(std::int64_t{source.bottom} - source.top);
  if (aspect > static_cast<double>(w) / static_cast<double>(h)) {
    const auto scaledHeight = static_cast<std::int32_t>(w / aspect);  // below h
    const std::int32_t top = (h - scaledHeight) / 2;
    return Rect{0, top, w, h - top};
  }
  const auto scaledWidth = static_cast<std::int32_t>(h * aspect);  // at most w
  const std::int32_t left = (w - scaledWidth) / 2;
  return Rect{left, 0, w - left, h};
}

}  // namespace kestrimo::ui
