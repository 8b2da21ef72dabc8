// Where the mask picture goes in the preview: scaled to fit the canvas with
// its aspect ratio kept, centred, on a dark blue background.
#pragma once

#include <cstdint>

#include "base/Rect.h"

namespace kestrimo::ui {

constexpr std::uint32_t kPreviewBackground = 0x400000;  // 0x00BBGGRR: blue 64

// The destination rectangle in a canvas of `canvas` pixels for the picture
// rectangle `source`. A relatively wider picture spans the full width with
// equal bands above and below; a taller or equally shaped one spans the full
// height with equal bands left and right. Ratios are compared in double
// precision, scaled sides and halved margins truncate toward zero. An empty
// source or canvas gives an empty rectangle (nothing to draw); a picture thin
// enough to scale below one pixel gives an empty one too.
Rect FitPreview(const Rect& source, Size canvas);

}  // namespace kestrimo::ui
