#include "platform/EllipseRaster.h"

#include <cstddef>

namespace kestrimo {
namespace {

constexpr std::uint32_t kLit = 0x00FFFFFFu;

class Canvas {
 public:
  Canvas(std::uint32_t* pixels, std::int32_t allocWidth, std::int32_t allocHeight,
         std::int32_t rx, std::int32_t ry)
      : pixels_(pixels), allocWidth_(allocWidth), allocHeight_(allocHeight), rx_(rx), ry_(ry) {}

  // Black over the whole box.
  void Clear() const {
    for (std::int32_t y = 0; y <= 2 * ry_; ++y) {
      std::uint32_t* row = Row(y);
      for (std::int32_t x = 0; x <= 2 * rx_; ++x) row[x] = 0;
    }
  }

  // Lights columns [2 rx - right, right] of row y and of its mirror row.
  void LightRowPair(std::int32_t y, std::int32_t right) const {
    LightSpan(y, right);
    LightSpan(2 * ry_ - y, right);
  }

 private:
  std::uint32_t* Row(std::int32_t y) const {
    return pixels_ + static_cast<std::ptrdiff_t>(allocWidth_) * (allocHeight_ - 1 - y);
  }
  void LightSpan(std::int32_t y, std::int32_t right) const {
    std::uint32_t* row = Row(y);
    for (std::int32_t x = 2 * rx_ - right; x <= right; ++x) row[x] = kLit;
  }

  std::uint32_t* pixels_;
  std::int32_t allocWidth_;
  std::int32_t allocHeight_;
  std::int32_t rx_;
  std::int32_t ry_;
};

// Walks the lower right quarter of the outline of the ellipse through the
// centres of the box's edge pixels (diameters 2 rx and 2 ry), from the right
// end of the centre row down towards the bottom, with an exact integer error
// term: each step moves one pixel left, one down, or both. The first pixel
// the walk visits in a row is that row's rightmost. Returns the last row
// reached.
std::int32_t WalkQuarter(const Canvas& canvas, std::int32_t rx, std::int32_t ry) {
  const std::int64_t a = 2 * std::int64_t{rx};
  const std::int64_t b = 2 * std::int64_t{ry};
  const std::int64_t aStep = 8 * a * a;
  const std::int64_t bStep = 8 * b * b;
  std::int64_t dx = 4 * b * b * (1 - a);
  std::int64_t dy = 4 * a * a;  // b is even: no half-row start term
  std::int64_t err = dx + dy;
  std::int32_t x = 2 * rx;
  std::int32_t y = ry;
  std::int32_t lastRow = ry - 1;
  while (x >= rx) {
    if (y != lastRow && y <= 2 * ry) {
      canvas.LightRowPair(y, x);
      lastRow = y;
    }
    const std::int64_t e2 = 2 * err;
    if (e2 >= dx) {
      --x;
      dx += bStep;
      err += dx;
    }
    if (e2 <= dy) {
      ++y;
      dy += aStep;
      err += dy;
    }
  }
  return lastRow;
}

}  // namespace

bool RasteriseEllipse(std::uint32_t* pixels, std::int32_t allocWidth,
                      std::int32_t allocHeight, std::int32_t rx, std::int32_t ry) {
  if (pixels == nullptr || rx < 0 || ry < 0 || rx > kMaxRasterRadius || ry > kMaxRasterRadius)
    return false;
  if (2 * rx + 1 > allocWidth || 2 * ry + 1 > allocHeight) return false;
  const Canvas canvas(pixels, allocWidth, allocHeight, rx, ry);
  canvas.Clear();
  if (rx == 0 || ry == 0) {
    // A box one pixel wide or high is filled as a plain rectangle.
    for (std::int32_t y = 0; y <= ry; ++y) canvas.LightRowPair(y, 2 * rx);
    return true;
  }
  // The walk leaves the top and bottom rows of very narrow ellipses unreached;
  // they get the centre column, so the ellipse still touches its box.
  const std::int32_t lastRow = WalkQuarter(canvas, rx, ry);
  for (std::int32_t y = lastRow + 1; y <= 2 * ry; ++y) canvas.LightRowPair(y, rx);
  return true;
}

}  // namespace kestrimo
