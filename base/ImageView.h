// A look at a block of 32-bit pixels owned elsewhere: its address, its
// allocated size and the rectangle in use. Rows are alloc.width pixels apart
// and stored bottom-up, as in ImageBuffer. Copying a view copies no pixels.
#pragma once

#include <cstdint>

#include "base/Rect.h"

namespace kestrimo {

struct ImageView {
  std::uint32_t* pixels = nullptr;
  Size alloc;
  Rect rect;
};

}  // namespace kestrimo
