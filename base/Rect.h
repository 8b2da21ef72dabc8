// Rectangles, sizes and points of the mask code. Right and bottom are
// exclusive; a rectangle is empty when right <= left or bottom <= top.
#pragma once

#include <cstdint>

namespace kestrimo {

struct Rect {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t right = 0;
  std::int32_t bottom = 0;

  std::int32_t Width() const { return right - left; }
  std::int32_t Height() const { return bottom - top; }
  bool IsEmpty() const { return right <= left || bottom <= top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

struct Size {
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const Size&, const Size&) = default;
};

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend bool operator==(const Point&, const Point&) = default;
};

// The intersection as the windowing system computes it: the larger left and
// top, the smaller right and bottom; an empty result becomes {0, 0, 0, 0} and
// the answer is false.
inline bool IntersectRect(Rect& out, const Rect& a, const Rect& b) {
  out.left = a.left > b.left ? a.left : b.left;
  out.top = a.top > b.top ? a.top : b.top;
  out.right = a.right < b.right ? a.right : b.right;
  out.bottom = a.bottom < b.bottom ? a.bottom : b.bottom;
  if (out.IsEmpty()) {
    out = Rect{};
    return false;
  }
  return true;
}

}  // namespace kestrimo
