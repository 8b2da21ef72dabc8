// One 4-byte pixel in and out of the low lane of an SSE2 register, at any
// alignment: the row ends of the SIMD twins.
#pragma once

#include <emmintrin.h>

#include <cstdint>
#include <cstring>

namespace kestrimo {

inline __m128i LoadPixel(const std::uint8_t* p) {
  std::int32_t value;
  std::memcpy(&value, p, 4);
  return _mm_cvtsi32_si128(value);
}

inline void StorePixel(std::uint8_t* p, __m128i v) {
  const std::int32_t value = _mm_cvtsi128_si32(v);
  std::memcpy(p, &value, 4);
}

}  // namespace kestrimo
