// A look at a block of 32-bit pixels owned elsewhere: its address, its
// allocated size and the rectangle in use. Rows are alloc.width pixels apart
// and stored bottom-up unless a pass says otherwise, as in ImageBuffer.
// Copying a view copies no pixels; a view of writable pixels converts to a
// read-only one.
#pragma once

#include <cstdint>
#include <type_traits>

#include "base/Rect.h"

namespace kestrimo {

template <typename Pixel>
struct BasicImageView {
  Pixel* pixels = nullptr;
  Size alloc;
  Rect rect;

  operator BasicImageView<const Pixel>() const
    requires(!std::is_const_v<Pixel>)
  {
    return {pixels, alloc, rect};
  }
};

using ImageView = BasicImageView<std::uint32_t>;
using ConstImageView = BasicImageView<const std::uint32_t>;

}  // namespace kestrimo
