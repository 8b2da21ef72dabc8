// Grows the key-coloured area of a mask by an ellipse: every pixel whose
// ellipse holds a key pixel becomes key. The ellipse is drawn once per pair
// of radii and turned into a table of row spans. Each image row is then
// grown from the key runs of the rows the table reaches: a run widened by a
// table row's half-width marks a span, so the cost grows with the ellipse's
// height times the runs, not with its area.
#pragma once

#include <cstdint>

#include "mask/DibImage.h"
#include "base/ImageBuffer.h"
#include "base/Rect.h"
#include "base/ScratchArray.h"

namespace kestrimo {

// One row of the dilation element centred at (0, 0): the span
// [-halfWidth, +halfWidth] at vertical offset dy.
struct EllipseRows {
  std::int16_t halfWidth;
  std::int16_t dy;
  std::int16_t beforeLeft;  // -halfWidth - 1: the pixel just left of the span
  std::int16_t dyAgain;     // dy repeated
};
static_assert(sizeof(EllipseRows) == 8);

// Radii are taken as at most this: the canvas stays within a few tens of
// megabytes and every table value within 16 bits. Masks are a few hundred
// pixels across and the settings window allows radii of a few dozen.
inline constexpr std::int32_t kMaxDilationRadius = 1024;

class MaskDilator {
 public:
  MaskDilator();
  ~MaskDilator();
  MaskDilator(const MaskDilator&) = delete;
  MaskDilator& operator=(const MaskDilator&) = delete;

  // Grows the key area inside `rect` of a bottom-up image of allocWidth x
  // allocHeight pixels by the ellipse of radii (ex, ey). A pixel is key when
  // it equals the key colour (0x00BBGGRR) with alpha 255, all 32 bits; pixels
  // are only ever set to that value, and only inside `rect` clipped to the
  // allocation. Negative radii count as 0 and radii above kMaxDilationRadius
  // as that maximum; with both radii 0, no pixels or an empty rectangle the
  // image is left alone. False when the growth could not be made (memory or
  // the ellipse's drawing failed): the image is then left alone too, and the
  // caller must not use it as grown.
  bool DilateMask(std::uint32_t* pixels, std::int32_t allocWidth, std::int32_t allocHeight,
                  const Rect& rect, std::uint32_t keyColour, std::int32_t ex, std::int32_t ey);

  // Draws the ellipse for (rx, ry) on the canvas and rebuilds the table from
  // it, unless the table already describes these radii. Radii are limited as
  // in DilateMask. Rows the drawing leaves unlit up to the centre column get
  // no entry; when the canvas cannot be made or drawn, the table is empty.
  void BuildEllipseRows(std::int32_t rx, std::int32_t ry);

  // The table: rowCount entries, dy from +ry down to -ry.
  const EllipseRows* Rows() const { return rows_; }
  std::int32_t RowCount() const { return rowCount_; }
  std::int32_t RowsCapacity() const { return rowsCapacity_; }
  std::int32_t RadiusX() const { return rx_; }
  std::int32_t RadiusY() const { return ry_; }
  const ImageBuffer& Snapshot() const { return snapshot_; }
  const DibImage& Canvas() const { return canvas_; }
  // Writable table, so that tests can tell a rebuild from a reuse.
  EllipseRows* MutableRows() { return rows_; }

 private:
  void ReadTable();
  bool FindKeyRuns(std::uint32_t key);
  void DilateRow(std::uint32_t* imageRow, std::int32_t y, std::uint32_t key,
                 std::int32_t* cover) const;

  ImageBuffer snapshot_;
  ScratchArray<std::int32_t> runs_;      // key runs of the snapshot rows, as column pairs
  ScratchArray<std::int32_t> firstRun_;  // per snapshot row, its first run
  ScratchArray<std::int32_t> cover_;     // one row's span starts (+1) and ends (-1)
  DibImage canvas_;
  EllipseRows* rows_ = nullptr;
  std::int32_t rowsCapacity_ = 0;
  std::int32_t rowCount_ = 0;
  std::int32_t rx_ = 0;
  std::int32_t ry_ = 0;
};

}  // namespace kestrimo
