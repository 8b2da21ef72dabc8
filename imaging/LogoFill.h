// The logo fill: every masked pixel of the work area becomes the mean of its
// linear interpolations along the row and along the column, between the
// nearest unmasked pixels. Where to fill comes from two span lists built
// with the mask, so nothing is searched per frame.
//
// A span list is a bottom-up block of signed 32-bit cells as large as the
// work area, passed as a view of its cells; only its pixels and allocation
// are used. Each row (FillRows) or column (FillColumns) holds pairs
// (skip, distance) ended by -1: the anchor P0 lies `skip` pixels after the
// cursor (pixel 0, then the previous P1), P1 lies `distance` pixels after P0,
// and the pixels strictly between are filled.
#pragma once

#include <cstdint>

#include "base/ImageView.h"
#include "base/Rect.h"
#include "base/ScratchArray.h"

namespace kestrimo {

// frameMode gives the work buffer's row order: 0 (YUY2 frames) top-down,
// 1 (BGR frames) bottom-up; any other value does nothing. The area is the
// work rectangle's width x height from visual row 0, column 0. A list line
// that breaks its rules (a run reaching past the line, a distance below 2, no
// -1 before the line ends) is walked only up to the fault, so nothing outside
// the work buffer is ever written.
void FillRows(ImageView work, ConstImageView spans, std::int32_t frameMode);

// As FillRows along the columns; each interpolated byte v is averaged with
// the byte the row pass left: (v + old + 1) >> 1.
void FillColumns(ImageView work, ConstImageView spans, std::int32_t frameMode);

// One run of a fill: along row `line` (or columns line .. line + lines - 1,
// which share it), the pixels strictly between `start` and start + distance.
struct FillRun {
  std::int32_t line;
  std::int32_t start;
  std::int32_t distance;
  std::int32_t lines;
};

// The runs FillRows and FillColumns would find in two span lists, found once
// when the mask is built, in the order those passes fill them: frames then
// fill without reading the lists or comparing columns.
class FillPlan {
 public:
  // Walks the lists for a work buffer of the view's allocation and
  // rectangle. Runs are in visual rows and columns, so the plan serves both
  // row orders. False, with the plan empty, when memory runs short.
  bool Build(ConstImageView work, ConstImageView rowSpans, ConstImageView columnSpans);
  void Clear();

  // Whether the plan was made for a work buffer of this allocation.
  bool Fits(ConstImageView work) const {
    return work.pixels != nullptr && work.alloc.width == alloc_.width &&
           work.alloc.height == alloc_.height;
  }

  // Row runs by row, in row order; column runs by first column.
  const FillRun* RowRuns() const { return rowRuns_.Data(); }
  std::int32_t RowRunCount() const { return rowRunCount_; }
  const FillRun* ColumnRuns() const { return columnRuns_.Data(); }
  std::int32_t ColumnRunCount() const { return columnRunCount_; }

 private:
  Size alloc_;
  ScratchArray<FillRun> rowRuns_;
  ScratchArray<FillRun> columnRuns_;
  std::int32_t rowRunCount_ = 0;
  std::int32_t columnRunCount_ = 0;
};

// FillColumns from a plan, on the work buffer it was made for (any other,
// or a frame mode other than 0 and 1, does nothing). The row runs are filled
// as the rows are extracted (imaging/FusedPasses.h).
void FillColumns(ImageView work, const FillPlan& plan, std::int32_t frameMode);

// Memory row of visual row `r` of a work buffer, as the fills address it.
std::uint8_t* WorkRow(ImageView work, bool bottomUp, std::int32_t r);

}  // namespace kestrimo
