// A yes/no mark per frame pixel (the logo's pixels), with the morphology
// that cleans it up.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/Rect.h"

namespace kestrimo {

class LogoMask {
 public:
  LogoMask() = default;
  LogoMask(int width, int height)
      : width_(width), height_(height),
        bits_(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0) {}

  int Width() const { return width_; }
  int Height() const { return height_; }
  bool At(int x, int y) const { return bits_[Index(x, y)] != 0; }
  void Set(int x, int y, bool on) { bits_[Index(x, y)] = on ? 1 : 0; }
  std::uint8_t* Row(int y) { return bits_.data() + Index(0, y); }
  const std::uint8_t* Row(int y) const { return bits_.data() + Index(0, y); }

  std::int64_t Count() const;
  // The smallest rectangle holding every marked pixel; empty when none is.
  Rect Bounds() const;

  // Square structuring element of side 2 r + 1; pixels beyond the edges
  // count as unmarked for the dilation and as marked for the erosion, so a
  // mark touching the frame edge is not eaten away.
  void Dilate(int r) { Dilate(r, r); }
  void Erode(int r);
  // Rectangular element of 2 rx + 1 columns and 2 ry + 1 rows.
  void Dilate(int rx, int ry);
  // Dilation then erosion: joins marks up to 2 r pixels apart.
  void Close(int r) { Dilate(r); Erode(r); }
  // Erosion then dilation: removes marks thinner than 2 r + 1 pixels.
  void Open(int r) { Erode(r); Dilate(r); }
  // Marks every unmarked pixel that no 4-connected path of unmarked pixels
  // joins to the frame's edge: the inside of a closed outline.
  void FillHoles();

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width_) +
           static_cast<std::size_t>(x);
  }
  // One pass along rows (horizontal) or columns: a pixel becomes `grow` when
  // any pixel within r of it along that direction is `grow`.
  void Spread(int r, bool horizontal, std::uint8_t grow);

  int width_ = 0;
  int height_ = 0;
  std::vector<std::uint8_t> bits_;
};

}  // namespace kestrimo
