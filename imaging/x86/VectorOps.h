// Integer vector operations under one name for 128-bit vectors and, in the
// AVX2 objects, 256-bit ones, so that a formula the twins share is written
// once as a template over the vector type. A 256-bit operation works on two
// 128-bit halves, as the 128-bit one does on one.
//
// This header is compiled into objects built with -msse2 and into objects
// built with -mavx2. An inline function with external linkage would exist
// once per object, and the linker would keep any one copy: SSE2 code could
// end up calling the copy made of AVX2 instructions. Everything here is in
// an unnamed namespace, so each object keeps its own copy.
#pragma once

#include <emmintrin.h>
#if defined(__AVX2__)
#include <immintrin.h>
#endif

#include <cstdint>

#include "imaging/ColourCoefficients.h"

namespace kestrimo {
namespace {

template <typename V>
V Zero();
template <typename V>
V Splat(std::uint32_t value);
// wB, wG, wR, 0 in every four 16-bit lanes.
template <typename V>
V Weights(BgrWeights w);

template <>
inline __m128i Zero<__m128i>() { return _mm_setzero_si128(); }
template <>
inline __m128i Splat<__m128i>(std::uint32_t value) {
  return _mm_set1_epi32(static_cast<int>(value));
}
template <>
inline __m128i Weights<__m128i>(BgrWeights w) {
  return _mm_setr_epi16(w.b, w.g, w.r, 0, w.b, w.g, w.r, 0);
}

inline __m128i Or(__m128i a, __m128i b) { return _mm_or_si128(a, b); }
inline __m128i And(__m128i a, __m128i b) { return _mm_and_si128(a, b); }
inline __m128i Add32(__m128i a, __m128i b) { return _mm_add_epi32(a, b); }
inline __m128i Add16(__m128i a, __m128i b) { return _mm_add_epi16(a, b); }
inline __m128i Sub16(__m128i a, __m128i b) { return _mm_sub_epi16(a, b); }
inline __m128i Shl32(__m128i a, int n) { return _mm_slli_epi32(a, n); }
inline __m128i Shr32(__m128i a, int n) { return _mm_srli_epi32(a, n); }
inline __m128i Sar32(__m128i a, int n) { return _mm_srai_epi32(a, n); }
inline __m128i Shl16(__m128i a, int n) { return _mm_slli_epi16(a, n); }
inline __m128i Shr16(__m128i a, int n) { return _mm_srli_epi16(a, n); }
inline __m128i MulHi16(__m128i a, __m128i b) { return _mm_mulhi_epi16(a, b); }
inline __m128i MultiplyAdd16(__m128i a, __m128i b) { return _mm_madd_epi16(a, b); }
inline __m128i UnpackLo8(__m128i a, __m128i b) { return _mm_unpacklo_epi8(a, b); }
inline __m128i UnpackHi8(__m128i a, __m128i b) { return _mm_unpackhi_epi8(a, b); }
inline __m128i UnpackLo64(__m128i a, __m128i b) { return _mm_unpacklo_epi64(a, b); }
inline __m128i UnpackHi64(__m128i a, __m128i b) { return _mm_unpackhi_epi64(a, b); }
inline __m128i PackUnsigned16(__m128i a, __m128i b) { return _mm_packus_epi16(a, b); }
template <int kOrder>
__m128i Shuffle32(__m128i a) {
  return _mm_shuffle_epi32(a, kOrder);
}

#if defined(__AVX2__)
template <>
inline __m256i Zero<__m256i>() { return _mm256_setzero_si256(); }
template <>
inline __m256i Splat<__m256i>(std::uint32_t value) {
  return _mm256_set1_epi32(static_cast<int>(value));
}
template <>
inline __m256i Weights<__m256i>(BgrWeights w) {
  return _mm256_broadcastsi128_si256(Weights<__m128i>(w));
}

inline __m256i Or(__m256i a, __m256i b) { return _mm256_or_si256(a, b); }
inline __m256i And(__m256i a, __m256i b) { return _mm256_and_si256(a, b); }
inline __m256i Add32(__m256i a, __m256i b) { return _mm256_add_epi32(a, b); }
inline __m256i Add16(__m256i a, __m256i b) { return _mm256_add_epi16(a, b); }
inline __m256i Sub16(__m256i a, __m256i b) { return _mm256_sub_epi16(a, b); }
inline __m256i Shl32(__m256i a, int n) { return _mm256_slli_epi32(a, n); }
inline __m256i Shr32(__m256i a, int n) { return _mm256_srli_epi32(a, n); }
inline __m256i Sar32(__m256i a, int n) { return _mm256_srai_epi32(a, n); }
inline __m256i Shl16(__m256i a, int n) { return _mm256_slli_epi16(a, n); }
inline __m256i Shr16(__m256i a, int n) { return _mm256_srli_epi16(a, n); }
inline __m256i MulHi16(__m256i a, __m256i b) { return _mm256_mulhi_epi16(a, b); }
inline __m256i MultiplyAdd16(__m256i a, __m256i b) { return _mm256_madd_epi16(a, b); }
inline __m256i UnpackLo8(__m256i a, __m256i b) { return _mm256_unpacklo_epi8(a, b); }
inline __m256i UnpackHi8(__m256i a, __m256i b) { return _mm256_unpackhi_epi8(a, b); }
inline __m256i UnpackLo64(__m256i a, __m256i b) { return _mm256_unpacklo_epi64(a, b); }
inline __m256i UnpackHi64(__m256i a, __m256i b) { return _mm256_unpackhi_epi64(a, b); }
inline __m256i PackUnsigned16(__m256i a, __m256i b) { return _mm256_packus_epi16(a, b); }
template <int kOrder>
__m256i Shuffle32(__m256i a) {
  return _mm256_shuffle_epi32(a, kOrder);
}
#endif

}  // namespace
}  // namespace kestrimo
