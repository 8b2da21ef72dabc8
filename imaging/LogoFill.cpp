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

bool IsKnownMode(std::int32_t frameMode) {
  return frameMode == kFrameModeYuy2 || frameMode == kFrameModeBgr;
}

FillArea AreaOf(ConstImageView work, ConstImageView spans, std::int32_t frameMode) {
  if (work.pixels == nullptr || spans.pixels == nullptr || work.rect.IsEmpty()) return {};
  if (!IsKnownMode(frameMode)) return {};
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


// Calls run(line, start, distance, lines) for each run of the row lists and
// then for each run of the column lists, in the order FillRows and
// FillColumns fill them.
template <typename Run>
void WalkRowLists(ConstImageView spans, const FillArea& area, Run run) {
  for (std::int32_t r = 0; r < area.height; ++r) {
    const SpanLine line{ListRow(spans, r), 1, area.width};
    WalkLine(line, area.width, [&](std::int32_t p0, std::int32_t distance) { run(r, p0, distance, 1); });
  }
}

template <typename Run>
void WalkColumnLists(ConstImageView spans, const FillArea& area, Run run) {
  const std::int32_t* topCells = ListRow(spans, 0);
  const std::ptrdiff_t cellStep = -std::ptrdiff_t{spans.alloc.width};
  for (std::int32_t c = 0; c < area.width;) {
    const SpanLine line{topCells + c, cellStep, area.height};
    const std::int32_t columns = ColumnsAlike(line, area.height, area.width - c);
    WalkLine(line, area.height,
             [&](std::int32_t p0, std::int32_t distance) { run(c, p0, distance, columns); });
    c += columns;
  }
}

// Runs of one kind into `runs`, counted first so that the array is sized once.
template <typename Walk>
bool KeepRuns(Walk walk, ScratchArray<FillRun>& runs, std::int32_t& count) {
  count = 0;
  walk([&](std::int32_t, std::int32_t, std::int32_t, std::int32_t) { ++count; });
  FillRun* out = runs.Ensure(count);
  if (out == nullptr && count > 0) {
    count = 0;
    return false;
  }
  std::int32_t i = 0;
  walk([&](std::int32_t line, std::int32_t start, std::int32_t distance, std::int32_t lines) {
    out[i++] = {line, start, distance, lines};
  });
  return true;
}

void FillColumnRun(std::uint8_t* topRow, std::ptrdiff_t stride, const FillRun& run,
                   const LogoFillKernels& kernels) {
  kernels.blendColumnRuns(topRow + std::ptrdiff_t{run.line} * 4 + run.start * stride, stride,
                          run.distance, run.lines);
}

}  // namespace

std::uint8_t* WorkRow(ImageView work, bool bottomUp, std::int32_t r) {
  const std::int32_t memoryRow = bottomUp ? work.alloc.height - 1 - r : r;
  return reinterpret_cast<std::uint8_t*>(work.pixels +
                                         static_cast<std::ptrdiff_t>(memoryRow) * work.alloc.width);
}

bool FillPlan::Build(ConstImageView work, ConstImageView rowSpans, ConstImageView columnSpans) {
  Clear();
  // The lists are walked alike in either row order.
  const FillArea rows = AreaOf(work, rowSpans, kFrameModeYuy2);
  const FillArea columns = AreaOf(work, columnSpans, kFrameModeYuy2);
  const bool ok =
      (rows.IsEmpty() ||
       KeepRuns([&](auto run) { WalkRowLists(rowSpans, rows, run); }, rowRuns_, rowRunCount_)) &&
      (columns.IsEmpty() ||
       KeepRuns([&](auto run) { WalkColumnLists(columnSpans, columns, run); }, columnRuns_,
                columnRunCount_));
  if (!ok) {
    Clear();
    return false;
  }
  alloc_ = work.alloc;
  return true;
}

void FillPlan::Clear() {
  alloc_ = {};
  rowRunCount_ = columnRunCount_ = 0;
}

void FillColumns(ImageView work, const FillPlan& plan, std::int32_t frameMode) {
  if (!plan.Fits(work) || !IsKnownMode(frameMode) || plan.ColumnRunCount() == 0) return;
  const LogoFillKernels& kernels = KernelsInUse().logoFill;
  const bool bottomUp = frameMode == kFrameModeBgr;
  const std::ptrdiff_t pitch = std::ptrdiff_t{work.alloc.width} * 4;
  const std::ptrdiff_t stride = bottomUp ? -pitch : pitch;
  std::uint8_t* topRow = WorkRow(work, bottomUp, 0);
  for (std::int32_t i = 0; i < plan.ColumnRunCount(); ++i)
    FillColumnRun(topRow, stride, plan.ColumnRuns()[i], kernels);
}

void FillRows(ImageView work, ConstImageView spans, std::int32_t frameMode) {
  const FillArea area = AreaOf(work, spans, frameMode);
  if (area.IsEmpty()) return;
  const LogoFillKernels& kernels = KernelsInUse().logoFill;
  WalkRowLists(spans, area, [&](std::int32_t r, std::int32_t p0, std::int32_t distance, std::int32_t) {
    kernels.fillRowRun(WorkRow(work, area.bottomUp, r) + std::ptrdiff_t{p0} * 4, distance);
  });
}

void FillColumns(ImageView work, ConstImageView spans, std::int32_t frameMode) {
  const FillArea area = AreaOf(work, spans, frameMode);
  if (area.IsEmpty()) return;
  const LogoFillKernels& kernels = KernelsInUse().logoFill;
  // Walking down the picture moves up in memory in a bottom-up buffer.
  const std::ptrdiff_t pitch = std::ptrdiff_t{work.alloc.width} * 4;
  const std::ptrdiff_t stride = area.bottomUp ? -pitch : pitch;
  std::uint8_t* topRow = WorkRow(work, area.bottomUp, 0);
  WalkColumnLists(spans, area, [&](std::int32_t c, std::int32_t p0, std::int32_t distance,
                                   std::int32_t columns) {
    FillColumnRun(topRow, stride, {c, p0, distance, columns}, kernels);
  });
}

}  // namespace kestrimo
