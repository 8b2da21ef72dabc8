// The soft edge of the base mask: the edge blur, only where the mask changes.
#include "mask/MaskRebuild.h"

#include <algorithm>
#include <cstring>

#include "imaging/AlphaOps.h"
#include "imaging/Kernels.h"
#include "mask/MaskLines.h"

namespace kestrimo {
using namespace mask_lines;

namespace {

// Blurs the stretches of one line of n pixels (`stride` apart) that lie
// within r of a change of value. Every other pixel sees r equal pixels on
// either side and keeps its value exactly (the kernel's weights sum to 1
// within far less than half a unit), and each stretch is bounded by r equal
// pixels or the line's ends, so blurring it alone, with its ends replicated,
// gives the same pixels as blurring the whole line.
void BlurChangedStretches(std::uint32_t* first, std::ptrdiff_t stride, std::int32_t n,
                          const BlurEntry* kernel, std::int32_t r, BlurEntry* line,
                          BlurLineFn blurLine) {
  std::int32_t begin = 0;
  std::int32_t end = -1;  // none pending
  for (std::int32_t p = 1; p < n; ++p) {
    if (first[p * stride] == first[(p - 1) * stride]) continue;
    const std::int32_t low = std::max(p - r, 0);
    const std::int32_t high = std::min(p + r, n);
    if (end >= 0 && low <= end) {
      end = high;
      continue;
    }
    // Pixels from `low` on are untouched by this blur: low > end.
    if (end >= 0) blurLine(first + begin * stride, stride, end - begin, kernel, r, line);
    begin = low;
    end = high;
  }
  if (end >= 0) blurLine(first + begin * stride, stride, end - begin, kernel, r, line);
}

}  // namespace

// Hard alpha from the key, blurred, and the key colour restored wherever any
// alpha is left, so the soft edge lives in alpha alone. False when the blur's
// scratch memory could not be had.
bool MaskRebuild::SoftenEdges(const MaskShape& shape) {
  const float edgeWidth = static_cast<float>(shape.EdgeBlur);
  SetAlphaOutsideKey(BaseMask.View(), shape.ColorKey, 0);
  if (!BlurBaseMask(edgeWidth)) return false;
  RecolourVisible(BaseMask.View(), shape.ColorKey);
  return true;
}

// The edge blur of the whole base mask, rows then columns, with the edge
// filter's kernels: the same pixels as its ApplyBlur, but only the stretches
// near a change are blurred, and a line equal to the one before it takes that
// line's result. False when its scratch memory could not be had.
bool MaskRebuild::BlurBaseMask(float width) {
  EdgeBlurFilter.SetWidths(width, width);
  const std::int32_t r = EdgeBlurFilter.HorizontalRadius();
  if (BaseMask.pixels == nullptr || BaseMask.rect.IsEmpty() || r <= 0) return true;
  if (EdgeBlurFilter.VerticalRadius() != r) {  // one width gives one radius; kept general
    EdgeBlurFilter.ApplyBlur(BaseMask.View(), true, width);
    return true;
  }
  const std::int32_t longest = std::max(BaseMask.rect.Width(), BaseMask.rect.Height());
  BlurEntry* line = blurLine_.Ensure(longest + 2 * r);
  if (line == nullptr || repeats_.Ensure(longest) == nullptr) return false;
  const BlurLineFn blurLine = KernelsInUse().blur.blurLine;
  BlurBaseMaskRows(blurLine, line);
  BlurBaseMaskColumns(blurLine, line);
  return true;
}

void MaskRebuild::BlurBaseMaskRows(BlurLineFn blurLine, BlurEntry* line) {
  const std::int32_t w = BaseMask.rect.Width();
  const std::int32_t h = BaseMask.rect.Height();
  std::uint8_t* repeats = repeats_.Ensure(h);
  for (std::int32_t y = 1; y < h; ++y)
    repeats[y] = SameLine(BaseMask.PixelAt(0, y), BaseMask.PixelAt(0, y - 1), w) ? 1 : 0;
  for (std::int32_t y = 0; y < h; ++y) {
    std::uint32_t* row = BaseMask.PixelAt(0, y);
    if (y > 0 && repeats[y] != 0)
      std::memcpy(row, BaseMask.PixelAt(0, y - 1), static_cast<std::size_t>(w) * sizeof *row);
    else
      BlurChangedStretches(row, 1, w, EdgeBlurFilter.HorizontalKernel(),
                           EdgeBlurFilter.HorizontalRadius(), line, blurLine);
  }
}

void MaskRebuild::BlurBaseMaskColumns(BlurLineFn blurLine, BlurEntry* line) {
  const std::int32_t w = BaseMask.rect.Width();
  const std::int32_t h = BaseMask.rect.Height();
  std::uint8_t* repeats = repeats_.Ensure(w);
  std::fill_n(repeats, w, std::uint8_t{1});
  for (std::int32_t y = 0; y < h; ++y) {  // along the rows, for the cache's sake
    const std::uint32_t* row = BaseMask.PixelAt(0, y);
    for (std::int32_t x = 1; x < w; ++x)
      if (row[x] != row[x - 1]) repeats[x] = 0;
  }
  const std::ptrdiff_t down = -static_cast<std::ptrdiff_t>(BaseMask.allocWidth);
  for (std::int32_t x = 0; x < w; ++x) {
    std::uint32_t* column = BaseMask.PixelAt(x, 0);
    if (x > 0 && repeats[x] != 0) {
      for (std::int32_t y = 0; y < h; ++y) column[y * down] = column[y * down - 1];
    } else {
      BlurChangedStretches(column, down, h, EdgeBlurFilter.VerticalKernel(),
                           EdgeBlurFilter.VerticalRadius(), line, blurLine);
    }
  }
}

}  // namespace kestrimo
