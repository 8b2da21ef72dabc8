// Colour values are 0x00BBGGRR; a pixel in memory is B, G, R, A, so as a
// little-endian 32-bit value it reads 0xAARRGGBB.
#pragma once

#include <cstdint>

namespace kestrimo {

// The key of a colour value, as the low 24 bits of a pixel of that colour:
// the colour's bytes swapped and shifted down, 0x00BBGGRR -> 0x00RRGGBB.
inline std::uint32_t KeyFromColour(std::uint32_t colour) {
  return ((colour & 0xFFu) << 16) | (colour & 0xFF00u) | ((colour >> 16) & 0xFFu);
}

}  // namespace kestrimo
