#include "detect/LogoMask.h"

#include <algorithm>

namespace kestrimo {

std::int64_t LogoMask::Count() const {
  return std::count(bits_.begin(), bits_.end(), std::uint8_t{1});
}

Rect LogoMask::Bounds() const {
  Rect box{width_, height_, 0, 0};
  for (int y = 0; y < height_; ++y) {
    const std::uint8_t* row = Row(y);
    for (int x = 0; x < width_; ++x) {
      if (!row[x]) continue;
      box.left = std::min(box.left, x);
      box.right = std::max(box.right, x + 1);
      box.top = std::min(box.top, y);
      box.bottom = std::max(box.bottom, y + 1);
    }
  }
  return box.IsEmpty() ? Rect{} : box;
}

void LogoMask::Dilate(int rx, int ry) {
  if (rx > 0) Spread(rx, true, 1);
  if (ry > 0) Spread(ry, false, 1);
}

void LogoMask::Erode(int r) {
  if (r <= 0) return;
  Spread(r, true, 0);
  Spread(r, false, 0);
}

void LogoMask::FillHoles() {
  if (bits_.empty()) return;
  constexpr std::uint8_t kOutside = 2;
  std::vector<std::size_t> stack;
  const auto reach = [&](int x, int y) {
    std::uint8_t& bit = bits_[Index(x, y)];
    if (bit != 0) return;
    bit = kOutside;
    stack.push_back(Index(x, y));
  };
  for (int x = 0; x < width_; ++x) {
    reach(x, 0);
    reach(x, height_ - 1);
  }
  for (int y = 0; y < height_; ++y) {
    reach(0, y);
    reach(width_ - 1, y);
  }
  while (!stack.empty()) {
    const std::size_t at = stack.back();
    stack.pop_back();
    const int x = static_cast<int>(at % static_cast<std::size_t>(width_));
    const int y = static_cast<int>(at / static_cast<std::size_t>(width_));
    if (x > 0) reach(x - 1, y);
    if (x + 1 < width_) reach(x + 1, y);
    if (y > 0) reach(x, y - 1);
    if (y + 1 < height_) reach(x, y + 1);
  }
  for (std::uint8_t& bit : bits_) bit = bit == kOutside ? 0 : 1;
}

// A running count of `grow` pixels in the window [i - r, i + r] along the
// line; the outside counts as the other value, so erosion keeps edge marks.
void LogoMask::Spread(int r, bool horizontal, std::uint8_t grow) {
  const int length = horizontal ? width_ : height_;
  const int lines = horizontal ? height_ : width_;
  std::vector<std::uint8_t> line(static_cast<std::size_t>(length));
  for (int l = 0; l < lines; ++l) {
    for (int i = 0; i < length; ++i) line[i] = horizontal ? At(i, l) : At(l, i);
    int inWindow = 0;
    for (int i = 0; i < std::min(r, length); ++i) inWindow += line[i] == grow;
    for (int i = 0; i < length; ++i) {
      if (i + r < length) inWindow += line[i + r] == grow;
      if (i - r - 1 >= 0) inWindow -= line[i - r - 1] == grow;
      const bool on = inWindow > 0 ? grow != 0 : grow == 0;
      horizontal ? Set(i, l, on) : Set(l, i, on);
    }
  }
}

}  // namespace kestrimo
