// The passes of the logo removal that share their trips through memory: the
// area is lifted out of the frame and its rows filled in one pass, and the
// alpha copy is folded into the write-back. Each gives the same bytes as the
// separate passes it replaces.
#pragma once

#include <cstdint>

#include "base/FrameGeometry.h"
#include "base/ImageView.h"
#include "base/Rect.h"
#include "imaging/LogoFill.h"

namespace kestrimo {

// ExtractArea of the area at `position` into the work view, in the work
// layout of the frame mode (Y, U, Y, V for mode 0; B, G, R, Y for mode 1),
// then the plan's row runs, as FillRows fills them from the row lists: each
// row is filled right after it is extracted, while it is in the cache, and
// the frame rows ahead are fetched meanwhile. Any other frame mode does
// nothing.
void ExtractAndFillRows(const std::uint8_t* frame, const FrameGeometry& geometry, Point position,
                        ImageView work, const FillPlan& plan, std::int32_t frameMode);

// CopyMaskAlphaToYuv (mode 0) or CopyMaskAlphaToBgr (mode 1) of `alpha`
// into the work view, then WriteBackArea of it with full opacity; when the
// alpha image covers the work area, the alpha goes straight from `alpha` into
// the blend and the work view is only read. Any other frame mode does nothing.
void WriteBackThroughAlpha(std::uint8_t* frame, const FrameGeometry& geometry, Point position,
                           ImageView work, ConstImageView alpha, std::int32_t frameMode);

}  // namespace kestrimo
