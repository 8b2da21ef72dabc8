#include "imaging/LogoFill.h"

#include <algorithm>
#include <cstddef>

#include "imaging/Kernels.h"
#include "base/FrameGeometry.h"

namespace kestrimo {
namespace {

constexpr std::int32_t kEndOfLine = -1;
constexpr std::int32_t kMinDistance = 2;

// One line of a span list: `count` cells, `step` cells apart.
struct SpanLine {
  const std::int32_t* cells;
  std::ptrdiff_t step;
  std::int32_t count;
};

// Calls run(p0, distance) for each run of the line, in order, where the line
// of pixels is `length` long; stops at the -1 or at the first cell that
// breaks the list's rules.
template <typename Run>
void WalkLine(const SpanLine& line, std::int32_t length, Run run) {
  std::int64_t cursor = 0;
  for (std::int32_t i = 0; i + 1 < line.count; i += 2) {
    const std::int32_t skip = line.cells[i * line.step];
    const std::int32_t distance = line.cells[(i + 1) * line.step];
    if (skip < 0 || distance < kMinDistance) return;
    const std::int64_t p0 = cursor + skip;
    const std::int64_t p1 = p0 + distance;
    if (p1 >= length) return;
    run(static_cast<std::int32_t>(p0), distance);
    cursor = p1;
  }
}

// How many cells decide what WalkLine does with `line`. The cell after the
// closing -1 is not one of them: it holds whatever an earlier list left
// there, and counting it would keep columns with equal runs apart.
std::int32_t CellsRead(const SpanLine& line, std::int32_t length) {
  std::int32_t read = 0;
  std::int64_t cursor = 0;
  for (std::int32_t i = 0; i + 1 < line.count; i += 2) {
    const std::int32_t skip = line.cells[i * line.step];
    if (skip < 0) return i + 1;
    read = i + 2;
    const std::int32_t distance = line.cells[(i + 1) * line.step];
    if (distance < kMinDistance) break;
    cursor += std::int64_t{skip} + distance;
    if (cursor >= length) break;
  }
  return read;
}

// The number of neighbouring list columns, from `line`'s on and at most
// `limit`, whose cells agree with `line`'s wherever WalkLine looks: they
// describe the same runs, so their pixels can be filled together.
std::int32_t ColumnsAlike(const SpanLine& line, std::int32_t length, std::int32_t limit) {
  const std::int32_t cells = CellsRead(line, length);
  std::int32_t columns = 1;
  for (; columns < limit; ++columns) {
    const std::int32_t* next = line.cells + columns;
    for (std::int32_t i = 0; i < cells; ++i)
      if (next[i * line.step] != line.cells[i * line.step]) return columns;
  }
  return columns;
}

// The part of the work area that both the work buffer and the list cover.
struct FillArea {
  std::int32_t width = 0;
  std::int32_t height = 0;
  bool bottomUp = false;

  bool IsEmpty() const { return width <= 0 || height <= 0; }
};

FillArea AreaOf(ImageView work, ConstImageView spans, std::int32_t frameMode) {
  if (work.pixels == nullptr || spans.pixels == nullptr || work.rect.IsEmpty()) return {};
  if (frameMode != kFrameModeYuy2 && frameMode != kFrameModeBgr) return {};
  FillArea area;
  const std::int64_t width = std::int64_t{work.rect.right} - work.rect.left;
  const std::int64_t height = std::int64_t{work.rect.bottom} - work.rect.top;
  area.width = static_cast<std::int32_t>(
      std::min({width, std::int64_t{work.alloc.width}, std::int64_t{spans.alloc.width}}));
  area.height = static_cast<std::int32_t>(
      std::min({height, std::int64_t{work.alloc.height}, std::int64_t{spans.alloc.height}}));
  area.bottomUp = frameMode == kFrameModeBgr;
  return area;
}

// The first cell of visual row r of a bottom-up list; cells are signed.
const std::int32_t* ListRow(ConstImageView spans, std::int32_t r) {
  return reinterpret_cast<const std::int32_t*>(spans.pixels) +
         static_cast<std::ptrdiff_t>(spans.alloc.height - 1 - r) * spans.alloc.width;
}

std::uint8_t* WorkRow(ImageView work, bool bottomUp, std::int32_t r) {
  const std::int32_t memoryRow = bottomUp ? work.alloc.height - 1 - r : r;
  return reinterpret_cast<std::uint8_t*>(work.pixels +
                                         static_cast<std::ptrdiff_t>(memoryRow) * work.alloc.width);
}

}  // namespace

void FillRows(ImageView work, ConstImageView spans, std::int32_t frameMode) {
  const FillArea area = AreaOf(work, spans, frameMode);
  if (area.IsEmpty()) return;
  const LogoFillKernels& kernels = KernelsInUse().logoFill;
  for (std::int32_t r = 0; r < area.height; ++r) {
    const SpanLine line{ListRow(spans, r), 1, area.width};
    std::uint8_t* row = WorkRow(work, area.bottomUp, r);
    WalkLine(line, area.width, [&](std::int32_t p0, std::int32_t distance) {
      kernels.fillRowRun(row + std::ptrdiff_t{p0} * 4, distance);
    });
  }
}

void FillColumns(ImageView work, ConstImageView spans, std::int32_t frameMode) {
  const FillArea area = AreaOf(work, spans, frameMode);
  if (area.IsEmpty()) return;
  const LogoFillKernels& kernels = KernelsInUse().logoFill;
  // Walking down the picture moves up in memory in a bottom-up buffer.
  const std::ptrdiff_t pitch = std::ptrdiff_t{work.alloc.width} * 4;
  const std::ptrdiff_t stride = area.bottomUp ? -pitch : pitch;
  std::uint8_t* topRow = WorkRow(work, area.bottomUp, 0);
  const std::int32_t* topCells = ListRow(spans, 0);
  const std::ptrdiff_t cellStep = -std::ptrdiff_t{spans.alloc.width};
  for (std::int32_t c = 0; c < area.width;) {
    const SpanLine line{topCells + c, cellStep, area.height};
    const std::int32_t columns = ColumnsAlike(line, area.height, area.width - c);
    std::uint8_t* column = topRow + std::ptrdiff_t{c} * 4;
    WalkLine(line, area.height, [&](std::int32_t p0, std::int32_t distance) {
      kernels.blendColumnRuns(column + p0 * stride, stride, distance, columns);
    });
    c += columns;
  }
}

}  // namespace kestrimo
