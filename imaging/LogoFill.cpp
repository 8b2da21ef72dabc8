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

FillArea AreaOf(const std::uint32_t* workPixels, Size workAllocSize, const Rect& workRect,
                const std::int32_t* spans, Size spansAllocSize, std::int32_t frameMode) {
  if (workPixels == nullptr || spans == nullptr || workRect.IsEmpty()) return {};
  if (frameMode != kFrameModeYuy2 && frameMode != kFrameModeBgr) return {};
  FillArea area;
  const std::int64_t width = std::int64_t{workRect.right} - workRect.left;
  const std::int64_t height = std::int64_t{workRect.bottom} - workRect.top;
  area.width = static_cast<std::int32_t>(
      std::min({width, std::int64_t{workAllocSize.width}, std::int64_t{spansAllocSize.width}}));
  area.height = static_cast<std::int32_t>(
      std::min({height, std::int64_t{workAllocSize.height}, std::int64_t{spansAllocSize.height}}));
  area.bottomUp = frameMode == kFrameModeBgr;
  return area;
}

// Index of the first cell of visual row r of a bottom-up list.
std::ptrdiff_t ListRowStart(Size spansAllocSize, std::int32_t r) {
  return static_cast<std::ptrdiff_t>(spansAllocSize.height - 1 - r) * spansAllocSize.width;
}

std::uint8_t* WorkRow(std::uint32_t* workPixels, Size workAllocSize, bool bottomUp,
                      std::int32_t r) {
  const std::int32_t memoryRow = bottomUp ? workAllocSize.height - 1 - r : r;
  return reinterpret_cast<std::uint8_t*>(workPixels +
                                         static_cast<std::ptrdiff_t>(memoryRow) * workAllocSize.width);
}

}  // namespace

void FillRows(std::uint32_t* workPixels, Size workAllocSize, const Rect& workRect,
              const std::int32_t* spans, Size spansAllocSize, std::int32_t frameMode) {
  const FillArea area =
      AreaOf(workPixels, workAllocSize, workRect, spans, spansAllocSize, frameMode);
  if (area.IsEmpty()) return;
  const LogoFillKernels& kernels = KernelsInUse().logoFill;
  for (std::int32_t r = 0; r < area.height; ++r) {
    const SpanLine line{spans + ListRowStart(spansAllocSize, r), 1, area.width};
    std::uint8_t* row = WorkRow(workPixels, workAllocSize, area.bottomUp, r);
    WalkLine(line, area.width, [&](std::int32_t p0, std::int32_t distance) {
      kernels.fillRowRun(row + std::ptrdiff_t{p0} * 4, distance);
    });
  }
}

void FillColumns(std::uint32_t* workPixels, Size workAllocSize, const Rect& workRect,
                 const std::int32_t* spans, Size spansAllocSize, std::int32_t frameMode) {
  const FillArea area =
      AreaOf(workPixels, workAllocSize, workRect, spans, spansAllocSize, frameMode);
  if (area.IsEmpty()) return;
  const LogoFillKernels& kernels = KernelsInUse().logoFill;
  // Walking down the picture moves up in memory in a bottom-up buffer.
  const std::ptrdiff_t pitch = std::ptrdiff_t{workAllocSize.width} * 4;
  const std::ptrdiff_t stride = area.bottomUp ? -pitch : pitch;
  std::uint8_t* topRow = WorkRow(workPixels, workAllocSize, area.bottomUp, 0);
  const std::int32_t* topCells = spans + ListRowStart(spansAllocSize, 0);
  const std::ptrdiff_t cellStep = -std::ptrdiff_t{spansAllocSize.width};
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
