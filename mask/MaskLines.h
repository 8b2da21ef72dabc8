// Small pieces shared by the steps of a mask rebuild: key tests, line
// comparison and the (skip, distance) lists of the removal spans.
#pragma once

#include <cstdint>
#include <cstring>

namespace kestrimo::mask_lines {

inline constexpr std::int32_t kEndOfList = -1;

// Complement of a 0x00BBGGRR colour: R, G and B inverted.
inline std::uint32_t Complement(std::uint32_t colour) { return (colour ^ 0x00FFFFFF) & 0x00FFFFFF; }

inline bool IsKey(std::uint32_t pixel, std::uint32_t key) { return (pixel & 0x00FFFFFF) == key; }

inline bool SameLine(const std::uint32_t* a, const std::uint32_t* b, std::int32_t n) {
  return std::memcmp(a, b, static_cast<std::size_t>(n) * sizeof(std::uint32_t)) == 0;
}

// Writes the (skip, distance) list of one line of n pixels; pixelAt(i) is
// the mask pixel i of the line and cellAt(m) the list's entry m.
template <typename PixelAt, typename CellAt>
inline void BuildLineSpans(std::int32_t n, std::uint32_t key, PixelAt pixelAt, CellAt cellAt) {
  std::int32_t m = 0;
  std::int32_t i = 0;
  for (;;) {
    std::int32_t j = i + 1;
    while (j <= n - 2 && !IsKey(pixelAt(j), key)) ++j;
    if (j > n - 2) break;  // the last pixel never starts a run
    std::int32_t k = j + 1;
    while (k < n - 1 && IsKey(pixelAt(k), key)) ++k;
    cellAt(m++) = j - 1 - i;
    cellAt(m++) = k - j + 1;
    i = k;
    if (i == n - 1) break;
  }
  cellAt(m) = kEndOfList;
}

}  // namespace kestrimo::mask_lines
