// One pixel in a 128-bit register: the helpers that the SSE2 twins and the
// AVX2 twins (for their row ends and single pixels) share.
//
// This header is compiled into objects built with -msse2 and into objects
// built with -mavx2. An inline function with external linkage would exist
// once per object, and the linker would keep any one copy: SSE2 code could
// end up calling the copy made of AVX2 instructions. Everything here is in
// an unnamed namespace, so each object keeps its own copy.
#pragma once

#include <emmintrin.h>

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace kestrimo {
namespace {

// One 4-byte pixel in and out of the low lane, at any alignment.
inline __m128i LoadPixel(const std::uint8_t* p) {
  std::int32_t value;
  std::memcpy(&value, p, 4);
  return _mm_cvtsi32_si128(value);
}

inline void StorePixel(std::uint8_t* p, __m128i v) {
  const std::int32_t value = _mm_cvtsi128_si32(v);
  std::memcpy(p, &value, 4);
}

// The four bytes of a pixel in the low lane as 32-bit lanes.
inline __m128i WidenPixel(__m128i pixel) {
  const __m128i zero = _mm_setzero_si128();
  return _mm_unpacklo_epi16(_mm_unpacklo_epi8(pixel, zero), zero);
}

// ---- Logo fill.

// round((P1 - P0) / distance * 128), saturated to 16 bits, in 32-bit lanes;
// the quotient is formed in single precision exactly as the reference does
// and rounded by the default mode (nearest, ties to even).
inline __m128i RunSlope(__m128i p0, __m128i p1, std::int32_t distance) {
  const __m128 difference = _mm_cvtepi32_ps(_mm_sub_epi32(p1, p0));
  const __m128 quotient = _mm_div_ps(difference, _mm_set1_ps(static_cast<float>(distance)));
  const __m128i slope = _mm_cvtps_epi32(_mm_mul_ps(quotient, _mm_set1_ps(128.0f)));
  const __m128i slope16 = _mm_packs_epi32(slope, slope);
  return _mm_srai_epi32(_mm_unpacklo_epi16(slope16, slope16), 16);
}

// ---- Blur: a pixel is one entry of four floats.

inline std::uint32_t* PixelAt(std::uint32_t* first, std::ptrdiff_t stride, std::int32_t i) {
  return first + stride * i;
}

// acc = k0 * b[0]; acc = acc + kj * (b[j] + b[-j]) for j = 1..radius, the
// entries b[j] being `step` floats apart (4 along a line, 4 w in a block).
inline __m128 ConvolvePixel(const float* b, std::ptrdiff_t step, const float* k,
                            std::int32_t radius) {
  __m128 acc = _mm_mul_ps(_mm_load_ps(k), _mm_load_ps(b));
  for (std::int32_t j = 1; j <= radius; ++j) {
    const __m128 pair = _mm_add_ps(_mm_load_ps(b + step * j), _mm_load_ps(b - step * j));
    acc = _mm_add_ps(acc, _mm_mul_ps(_mm_load_ps(k + 4 * j), pair));
  }
  return acc;
}

// Rounds to nearest-even (default MXCSR), saturates to int16, then to 0..255.
inline void StoreConvolvedPixel(std::uint32_t* pixel, __m128 acc) {
  const __m128i words = _mm_packs_epi32(_mm_cvtps_epi32(acc), _mm_setzero_si128());
  const std::int32_t value = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
  std::memcpy(pixel, &value, 4);
}

// R copies of the line's first entry before it and of its last after it.
inline void ReplicateLineEnds(float* buffer, std::int32_t count, std::int32_t radius) {
  const __m128 head = _mm_load_ps(buffer + 4 * radius);
  const __m128 tail = _mm_load_ps(buffer + 4 * (radius + count - 1));
  for (std::int32_t j = 0; j < radius; ++j) {
    _mm_store_ps(buffer + 4 * j, head);
    _mm_store_ps(buffer + 4 * (radius + count + j), tail);
  }
}

// The same for a block of w columns: R copies of its top row and of its
// bottom row.
inline void ReplicateBlockEnds(float* buffer, std::int32_t w, std::int32_t count,
                               std::int32_t radius) {
  const float* head = buffer + 4 * w * radius;
  const float* tail = buffer + 4 * w * (radius + count - 1);
  for (std::int32_t j = 0; j < radius; ++j)
    for (std::int32_t e = 0; e < 4 * w; e += 4) {
      _mm_store_ps(buffer + 4 * w * j + e, _mm_load_ps(head + e));
      _mm_store_ps(buffer + 4 * w * (radius + count + j) + e, _mm_load_ps(tail + e));
    }
}

}  // namespace

// blendColumnRuns of the SSE2 set, which the AVX2 twin uses for the columns
// left over after its groups of eight (imaging/x86/LogoFillSse2.cpp).
void BlendColumnRunsSse2(std::uint8_t* anchor, std::ptrdiff_t stride, std::int32_t distance,
                         std::int32_t columns);

}  // namespace kestrimo
