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

}  // namespace kestrimo
