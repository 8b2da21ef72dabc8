#include "mask/MaskDilator.h"

#include <cstddef>

#include "mask/AlignedMemory.h"
#include "mask/CapacityRule.h"
#include "platform/EllipseDrawing.h"

namespace kestrimo {
namespace {

constexpr std::int32_t kInitialRows = 256;
constexpr std::int32_t kCanvasSlack = 25;
constexpr std::int32_t kSnapshotSlack = 25;
constexpr std::uint32_t kWhite = 0x00FFFFFFu;

std::int32_t LimitRadius(std::int32_t r) {
  if (r < 0) return 0;
  return r > kMaxDilationRadius ? kMaxDilationRadius : r;
}

// 1 when snapshot pixel x of a row of `width` pixels is key; columns outside
// the row are never key.
int KeyAt(const std::uint32_t* row, std::int32_t width, std::int32_t x, std::uint32_t key) {
  return x >= 0 && x < width && row[x] == key ? 1 : 0;
}

}  // namespace

MaskDilator::MaskDilator() { GrowArray(rows_, rowsCapacity_, kInitialRows, 0, 0); }

MaskDilator::~MaskDilator() { FreeAligned(rows_); }

void MaskDilator::BuildEllipseRows(std::int32_t rx, std::int32_t ry) {
  rx = LimitRadius(rx);
  ry = LimitRadius(ry);
  // An empty table describes no radii: it is built again even for (0, 0).
  if (rowCount_ > 0 && rx == rx_ && ry == ry_) return;
  rx_ = rx;
  ry_ = ry;
  rowCount_ = 0;
  canvas_.CreateDib(2 * rx + 1, 2 * ry + 1, kCanvasSlack, kCanvasSlack);
  GrowArray(rows_, rowsCapacity_, 2 * ry + 1, 0, 0);
  if (canvas_.pixels == nullptr || canvas_.bitmap == nullptr || rows_ == nullptr) return;
  if (!DrawEllipse(*canvas_.bitmap, canvas_.pixels, canvas_.allocWidth, canvas_.allocHeight, rx,
                   ry))
    return;
  ReadTable();
}

// One entry per canvas row, from the first white pixel j of the row: the span
// [j - rx, rx - j] around the centre column. The windowing system may leave
// the end rows of a very narrow ellipse unlit, or lit only right of the
// centre; such a row would give a negative half-width, whose entry subtracts
// pixels from the count instead of adding none, so it gets no entry.
void MaskDilator::ReadTable() {
  std::int32_t count = 0;
  for (std::int32_t i = 0; i <= 2 * ry_; ++i) {
    std::int32_t j = 0;
    while (j <= rx_ && (canvas_.GetPixelColor(j, i) & kWhite) != kWhite) ++j;
    if (j > rx_) continue;
    const auto halfWidth = static_cast<std::int16_t>(rx_ - j);
    const auto dy = static_cast<std::int16_t>(ry_ - i);
    rows_[count++] = EllipseRows{halfWidth, dy, static_cast<std::int16_t>(-halfWidth - 1), dy};
  }
  rowCount_ = count;
}

void MaskDilator::DilateMask(std::uint32_t* pixels, std::int32_t allocWidth,
                             std::int32_t allocHeight, const Rect& rect, std::uint32_t keyColour,
                             std::int32_t ex, std::int32_t ey) {
  if (pixels == nullptr || allocWidth <= 0 || allocHeight <= 0) return;
  if (LimitRadius(ex) == 0 && LimitRadius(ey) == 0) return;
  // A rectangle reaching outside the allocation is cut to it: nothing is
  // read or written beyond the pixel block.
  Rect area;
  if (!IntersectRect(area, rect, Rect{0, 0, allocWidth, allocHeight})) return;
  BuildEllipseRows(ex, ey);
  if (rowCount_ == 0) return;
  snapshot_.Resize(area.Width(), area.Height(), kSnapshotSlack, kSnapshotSlack);
  if (snapshot_.pixels == nullptr) return;
  snapshot_.CopyFrom(pixels, allocWidth, allocHeight, area);
  const std::uint32_t key = PixelFromColour(keyColour, 255);
  for (std::int32_t y = 0; y < area.Height(); ++y) {
    std::uint32_t* imageRow = pixels + area.left +
                              static_cast<std::ptrdiff_t>(allocWidth) *
                                  (allocHeight - 1 - (area.top + y));
    DilateRow(imageRow, y, key);
  }
}

// Slides the element along snapshot row y. count is the number of key
// pixels inside the element centred at column xc: each step adds the pixel
// entering every span on the right and removes the one leaving it on the
// left. The walk starts rx columns left of the row, where every span still
// lies left of column 0, so the count starts right.
void MaskDilator::DilateRow(std::uint32_t* imageRow, std::int32_t y, std::uint32_t key) const {
  const std::int32_t width = snapshot_.rect.Width();
  const std::int32_t height = snapshot_.rect.Height();
  // Entries run from dy = +ry down; only those meeting a snapshot row count.
  std::int32_t begin = 0;
  while (begin < rowCount_ && y + rows_[begin].dy >= height) ++begin;
  std::int32_t end = begin;
  while (end < rowCount_ && y + rows_[end].dy >= 0) ++end;
  if (begin == end) return;
  std::int32_t count = 0;
  for (std::int32_t xc = -rx_; xc < width; ++xc) {
    for (std::int32_t e = begin; e < end; ++e) {
      const EllipseRows& row = rows_[e];
      const std::uint32_t* source = snapshot_.PixelAt(0, y + row.dy);
      count += KeyAt(source, width, xc + row.halfWidth, key);
      count -= KeyAt(source, width, xc + row.beforeLeft, key);
    }
    if (xc >= 0 && count != 0) imageRow[xc] = key;
  }
}

}  // namespace kestrimo
