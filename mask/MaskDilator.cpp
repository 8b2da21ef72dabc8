#include "mask/MaskDilator.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "base/AlignedMemory.h"
#include "base/CapacityRule.h"
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

bool MaskDilator::DilateMask(std::uint32_t* pixels, std::int32_t allocWidth,
                             std::int32_t allocHeight, const Rect& rect, std::uint32_t keyColour,
                             std::int32_t ex, std::int32_t ey) {
  if (pixels == nullptr || allocWidth <= 0 || allocHeight <= 0) return true;
  if (LimitRadius(ex) == 0 && LimitRadius(ey) == 0) return true;
  // A rectangle reaching outside the allocation is cut to it: nothing is
  // read or written beyond the pixel block.
  Rect area;
  if (!IntersectRect(area, rect, Rect{0, 0, allocWidth, allocHeight})) return true;
  BuildEllipseRows(ex, ey);
  if (rowCount_ == 0) return false;
  snapshot_.Resize(area.Width(), area.Height(), kSnapshotSlack, kSnapshotSlack);
  if (snapshot_.pixels == nullptr) return false;
  snapshot_.CopyFrom(pixels, allocWidth, allocHeight, area);
  const std::uint32_t key = PixelFromColour(keyColour, 255);
  if (!FindKeyRuns(key)) return false;
  std::int32_t* cover = cover_.Ensure(area.Width() + 1);
  if (cover == nullptr) return false;
  for (std::int32_t y = 0; y < area.Height(); ++y) {
    std::uint32_t* imageRow = pixels + area.left +
                              static_cast<std::ptrdiff_t>(allocWidth) *
                                  (allocHeight - 1 - (area.top + y));
    DilateRow(imageRow, y, key, cover);
  }
  return true;
}

// The runs of key pixels of every snapshot row: row y's runs are the
// half-open column ranges runs_[2k], runs_[2k + 1] for k from firstRun_[y]
// to firstRun_[y + 1] - 1.
bool MaskDilator::FindKeyRuns(std::uint32_t key) {
  const std::int32_t width = snapshot_.rect.Width();
  const std::int32_t height = snapshot_.rect.Height();
  // A row of w pixels holds at most (w + 1) / 2 runs of two entries each.
  const std::int64_t most = (std::int64_t{width} + 1) * height;
  std::int32_t* first = firstRun_.Ensure(height + 1);
  std::int32_t* runs = most <= INT32_MAX ? runs_.Ensure(static_cast<std::int32_t>(most)) : nullptr;
  if (first == nullptr || runs == nullptr) return false;
  std::int32_t count = 0;
  for (std::int32_t y = 0; y < height; ++y) {
    first[y] = count;
    const std::uint32_t* row = snapshot_.PixelAt(0, y);
    for (std::int32_t x = 0; x < width;) {
      if (row[x] != key) {
        ++x;
        continue;
      }
      const std::int32_t start = x;
      while (x < width && row[x] == key) ++x;
      runs[2 * count] = start;
      runs[2 * count + 1] = x;
      ++count;
    }
  }
  first[height] = count;
  return true;
}

// Row y of the image after the growth: a pixel becomes key when the element
// centred on it holds a key pixel of the snapshot, that is when it lies within
// halfWidth of a key run of the snapshot row dy away, for some table row. The
// spans are marked in a difference array and summed along the row.
void MaskDilator::DilateRow(std::uint32_t* imageRow, std::int32_t y, std::uint32_t key,
                            std::int32_t* cover) const {
  const std::int32_t width = snapshot_.rect.Width();
  const std::int32_t height = snapshot_.rect.Height();
  const std::int32_t* runs = runs_.Data();
  const std::int32_t* first = firstRun_.Data();
  std::fill_n(cover, width + 1, 0);
  bool any = false;
  for (std::int32_t e = 0; e < rowCount_; ++e) {
    const std::int32_t sourceRow = y + rows_[e].dy;
    if (sourceRow < 0 || sourceRow >= height) continue;
    const std::int32_t halfWidth = rows_[e].halfWidth;
    for (std::int32_t k = first[sourceRow]; k < first[sourceRow + 1]; ++k) {
      const std::int32_t from = std::max(runs[2 * k] - halfWidth, 0);
      const std::int32_t to = std::min(runs[2 * k + 1] + halfWidth, width);
      ++cover[from];
      --cover[to];
      any = true;
    }
  }
  if (!any) return;
  std::int32_t count = 0;
  for (std::int32_t x = 0; x < width; ++x) {
    count += cover[x];
    if (count != 0) imageRow[x] = key;
  }
}

}  // namespace kestrimo
