// Row loops of the alpha and colour-key passes over 32-bit pixels (bytes B,
// G, R, A; as a little-endian value 0xAARRGGBB). Rows need no alignment.
#pragma once

#include <cstdint>

namespace kestrimo {

struct AlphaKernels {
  // work byte 2 = mask byte 3, per pixel; nothing else changes.
  void (*copyAlphaToByte2)(const std::uint8_t* mask, std::uint8_t* work, std::int32_t count);
  // work byte 3 = mask byte 3, per pixel; nothing else changes.
  void (*copyAlphaToByte3)(const std::uint8_t* mask, std::uint8_t* work, std::int32_t count);
  // Pixels whose low 24 bits differ from `key` (0x00RRGGBB) get alpha `alpha`.
  void (*setAlphaOutsideKey)(std::uint8_t* row, std::int32_t count, std::uint32_t key,
                             std::uint8_t alpha);
  // Pixels whose alpha is not 0 get the colour `key` (0x00RRGGBB), alpha kept.
  void (*recolourVisible)(std::uint8_t* row, std::int32_t count, std::uint32_t key);
  // dst = opaqueKey where the source pixel equals opaqueKey (invert false)
  // or differs from it (invert true); other destination pixels stay.
  void (*stampKey)(const std::uint8_t* src, std::uint8_t* dst, std::int32_t count,
                   std::uint32_t opaqueKey, bool invert);
};

// The scalar references, then the twins laid over them (imaging/Kernels.h):
// SSE2 for every row, AVX2 for the alpha copies.
void FillScalar(AlphaKernels& kernels);
void UpgradeToSse2(AlphaKernels& kernels);  // imaging/x86/AlphaSse2.cpp
void UpgradeToAvx2(AlphaKernels& kernels);  // imaging/x86/AlphaAvx2.cpp

// Pixel access for rows without alignment guarantees.
inline std::uint32_t LoadPixel32(const std::uint8_t* p) {
  return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
         std::uint32_t{p[3]} << 24;
}

inline void StorePixel32(std::uint8_t* p, std::uint32_t value) {
  p[0] = static_cast<std::uint8_t>(value);
  p[1] = static_cast<std::uint8_t>(value >> 8);
  p[2] = static_cast<std::uint8_t>(value >> 16);
  p[3] = static_cast<std::uint8_t>(value >> 24);
}

}  // namespace kestrimo
