// The base mask scaled to the frame, repeating no work whose result is known.
#include "mask/MaskRebuild.h"

#include <algorithm>
#include <cstring>

#include "imaging/Kernels.h"
#include "mask/MaskLines.h"

namespace kestrimo {
using namespace mask_lines;

namespace {

constexpr std::int32_t kFormatBgraBottomUp = 5;
constexpr std::int32_t kOpacityCopy = 100;

}  // namespace

// BaseMask scaled into FrameMask with the scaling's own row steps and the
// same tables as one ScaledBlend of the whole images, and the same pixels,
// but without repeating work whose result is known:
// - a frame column whose two source columns lie in one run of equal base
//   columns takes the value of the first frame column of that run (blending
//   equal pixels gives them back exactly);
// - a frame row whose source rows lie in one run of equal base rows, as do
//   those of the row before it, is a copy of that row.
void MaskRebuild::ScaleToFrame(std::uint32_t colorKey) {
  if (!PlanFrameScaling()) {
    // A scaling that fails leaves its destination alone: cleared first, the
    // frame mask then asks for no processing instead of showing stale pixels.
    FrameMask.FillAreaAlpha({0, 0, FrameMask.rect.Width(), FrameMask.rect.Height()}, 0,
                            Complement(colorKey));
    MaskScaler.Scale(BaseMask.View(), kFormatBgraBottomUp, FrameMask.View(), kFormatBgraBottomUp,
                     kOpacityCopy, colorKey, true);
    return;
  }
  const std::int32_t sw = FrameMask.rect.Width();
  const std::int32_t sh = FrameMask.rect.Height();
  const ScalingKernels& kernels = KernelsInUse().scaling;
  const KeyProtection protection{true, KeyFromColour(colorKey)};
  const ScaleTableEntry* steps = rowSteps_.Ensure(sh);
  const std::int32_t* rowClass = rowClass_.Ensure(BaseMask.rect.Height());
  const std::ptrdiff_t rowBytes = -4 * static_cast<std::ptrdiff_t>(BaseMask.allocWidth);
  std::uint32_t* rowBuffer = scaledRow_.Ensure(BaseMask.rect.Width() + 2);
  std::int32_t source = 0;
  std::int32_t previousClass = -1;  // the class of the frame row before, -1 when mixed
  for (std::int32_t y = 0; y < sh; ++y) {
    source += steps[y].step;
    const std::int32_t upper = source;
    source += steps[y].next;
    const std::int32_t thisClass = rowClass[source] == rowClass[upper] ? rowClass[upper] : -1;
    auto* row = reinterpret_cast<std::uint8_t*>(FrameMask.PixelAt(0, y));
    if (thisClass >= 0 && thisClass == previousClass) {
      std::memcpy(row, FrameMask.PixelAt(0, y - 1), static_cast<std::size_t>(sw) * 4);
    } else {
      kernels.verticalStep(reinterpret_cast<const std::uint8_t*>(BaseMask.PixelAt(0, upper)),
                           steps[y].next * rowBytes, steps[y].weight[0], BaseMask.rect.Width(),
                           rowBuffer, protection);
      ScaleFrameRow(rowBuffer, row, protection);
    }
    previousClass = thisClass;
  }
}

// One frame row from the vertically blended source row: the planned
// segments through the horizontal step, the rest of each run of equal
// columns from its first pixel.
void MaskRebuild::ScaleFrameRow(const std::uint32_t* rowBuffer, std::uint8_t* row,
                                KeyProtection protection) const {
  const ScalingKernels& kernels = KernelsInUse().scaling;
  const ScaleTableEntry* tables = columnSteps_.Data();
  for (const ColumnSegment& segment : Segments()) {
    kernels.horizontalStep(rowBuffer, tables + segment.table, segment.computed,
                           row + 4 * static_cast<std::ptrdiff_t>(segment.first), protection);
    if (segment.copies > 0) {
      auto* pixels = reinterpret_cast<std::uint32_t*>(row) + segment.first + segment.computed;
      std::fill_n(pixels, segment.copies, pixels[-1]);
    }
  }
}

// Works out, once per rebuild, the tables of the rows and of the column
// segments. False when a table cannot be had; the caller then scales the
// whole images in one call.
bool MaskRebuild::PlanFrameScaling() {
  const std::int32_t bw = BaseMask.rect.Width();
  const std::int32_t bh = BaseMask.rect.Height();
  const std::int32_t sw = FrameMask.rect.Width();
  const std::int32_t sh = FrameMask.rect.Height();
  if (BaseMask.pixels == nullptr || FrameMask.pixels == nullptr || bw <= 0 || bh <= 0 ||
      sw <= 0 || sh <= 0 || bw > kMaxScaleSourceExtent || bh > kMaxScaleSourceExtent)
    return false;
  ScaleTableEntry* steps = rowSteps_.Ensure(sh);
  std::int32_t* rowClass = rowClass_.Ensure(bh);
  std::int32_t* columnClass = columnClass_.Ensure(bw);
  ScaleTableEntry* columnSteps = columnSteps_.Ensure(sw);
  ColumnSegment* segments = segments_.Ensure(sw);
  if (steps == nullptr || rowClass == nullptr || columnClass == nullptr ||
      columnSteps == nullptr || segments == nullptr || scaledRow_.Ensure(bw + 2) == nullptr ||
      repeats_.Ensure(std::max(bw, sw)) == nullptr ||
      !BuildScaleTable(steps, ScaleTableKey{bh, sh, 0, sh, 1}) ||
      !BuildScaleTable(columnSteps, ScaleTableKey{bw, sw, 0, sw, 1}))
    return false;
  ClassifyBaseLines(rowClass, columnClass);
  return PlanColumnSegments(columnClass, columnSteps, segments);
}

// Each base row and column gets the index of the first line of its run of
// equal lines.
void MaskRebuild::ClassifyBaseLines(std::int32_t* rowClass, std::int32_t* columnClass) {
  const std::int32_t bw = BaseMask.rect.Width();
  const std::int32_t bh = BaseMask.rect.Height();
  rowClass[0] = 0;
  for (std::int32_t y = 1; y < bh; ++y)
    rowClass[y] = SameLine(BaseMask.PixelAt(0, y), BaseMask.PixelAt(0, y - 1), bw) ? rowClass[y - 1] : y;
  std::uint8_t* repeats = repeats_.Ensure(bw);
  std::fill_n(repeats, bw, std::uint8_t{1});
  for (std::int32_t y = 0; y < bh; ++y) {
    const std::uint32_t* row = BaseMask.PixelAt(0, y);
    for (std::int32_t x = 1; x < bw; ++x)
      if (row[x] != row[x - 1]) repeats[x] = 0;
  }
  columnClass[0] = 0;
  for (std::int32_t x = 1; x < bw; ++x) columnClass[x] = repeats[x] != 0 ? columnClass[x - 1] : x;
}

// Splits the frame columns into segments: a stretch computed by the
// horizontal step, then a stretch that repeats the last computed pixel (the
// frame columns after the first whose source pair lies in the same run of
// equal base columns). Each segment's table is built for its own first
// column, so the step starts from the row's beginning.
bool MaskRebuild::PlanColumnSegments(const std::int32_t* columnClass,
                                     ScaleTableEntry* columnSteps, ColumnSegment* segments) {
  const std::int32_t bw = BaseMask.rect.Width();
  const std::int32_t sw = FrameMask.rect.Width();
  // Whether frame column x repeats column x - 1, from the column table.
  std::uint8_t* repeats = repeats_.Ensure(sw);
  if (repeats == nullptr) return false;
  std::int32_t source = 0;
  std::int32_t previousClass = -1;
  for (std::int32_t x = 0; x < sw; ++x) {
    source += columnSteps[x].step;
    const std::int32_t left = source;
    source += columnSteps[x].next;
    const std::int32_t thisClass = columnClass[source] == columnClass[left] ? columnClass[left] : -1;
    repeats[x] = thisClass >= 0 && thisClass == previousClass ? 1 : 0;
    previousClass = thisClass;
  }
  segmentCount_ = 0;
  std::int32_t tableUsed = 0;
  for (std::int32_t x = 0; x < sw;) {
    ColumnSegment& segment = segments[segmentCount_++];
    segment.first = x;
    while (x < sw && (x == segment.first || repeats[x] == 0)) ++x;
    segment.computed = x - segment.first;
    while (x < sw && repeats[x] != 0) ++x;
    segment.copies = x - segment.first - segment.computed;
    segment.table = tableUsed;
    if (!BuildScaleTable(columnSteps + tableUsed,
                         ScaleTableKey{bw, sw, segment.first, segment.computed, 4}))
      return false;
    tableUsed += segment.computed;
  }
  return true;
}

}  // namespace kestrimo
