// Clipping of a copy between two images: rectangle A in an image of size A
// and the equally large rectangle B in an image of size B. Every cut of one
// rectangle moves the matching edge of the other, so both stay the same size.
#pragma once

#include "base/Rect.h"

namespace kestrimo {

// Clips A to {0, 0, sizeA}, then B to {0, 0, sizeB}, carrying each cut over to
// the other rectangle. True when something is left to copy; both rectangles
// then lie inside their images.
bool ClipRectPair(Rect& a, Size sizeA, Rect& b, Size sizeB);

}  // namespace kestrimo
