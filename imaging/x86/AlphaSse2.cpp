// SSE2 twins of the alpha and colour-key rows: four pixels per step as 32-bit
// lanes, compared whole and merged with masks; the last 1..3 pixels of a row
// go through the same operation one pixel at a time.
#include <emmintrin.h>

#include <cstring>

#include "imaging/AlphaKernels.h"
#include "imaging/x86/Sse2Pixel.h"

namespace kestrimo {
namespace {

constexpr std::int32_t kBlock = 4;

__m128i LoadBlock(const std::uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

void StoreBlock(std::uint8_t* p, __m128i v) {
  _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

__m128i Splat(std::uint32_t value) { return _mm_set1_epi32(static_cast<std::int32_t>(value)); }

// (where ? a : b) per bit.
__m128i Select(__m128i where, __m128i a, __m128i b) {
  return _mm_or_si128(_mm_and_si128(where, a), _mm_andnot_si128(where, b));
}

// Runs `op(src, dst) -> new dst` over a row; src may be the row itself.
template <typename Op>
void ForEachPixel(const std::uint8_t* src, std::uint8_t* dst, std::int32_t count, Op op) {
  std::int32_t i = 0;
  for (; i + kBlock <= count; i += kBlock)
    StoreBlock(dst + 4 * i, op(LoadBlock(src + 4 * i), LoadBlock(dst + 4 * i)));
  for (; i < count; ++i) StorePixel(dst + 4 * i, op(LoadPixel(src + 4 * i), LoadPixel(dst + 4 * i)));
}

void CopyAlphaToByte2(const std::uint8_t* mask, std::uint8_t* work, std::int32_t count) {
  const __m128i alphaBits = Splat(0xFF000000);
  const __m128i byte2 = Splat(0x00FF0000);
  ForEachPixel(mask, work, count, [&](__m128i m, __m128i w) {
    return _mm_or_si128(_mm_andnot_si128(byte2, w), _mm_srli_epi32(_mm_and_si128(m, alphaBits), 8));
  });
}

void CopyAlphaToByte3(const std::uint8_t* mask, std::uint8_t* work, std::int32_t count) {
  const __m128i alphaBits = Splat(0xFF000000);
  ForEachPixel(mask, work, count, [&](__m128i m, __m128i w) { return Select(alphaBits, m, w); });
}

void SetAlphaOutsideKey(std::uint8_t* row, std::int32_t count, std::uint32_t key,
                        std::uint8_t alpha) {
  const __m128i colourBits = Splat(0x00FFFFFF);
  const __m128i keys = Splat(key);
  const __m128i newAlpha = Splat(std::uint32_t{alpha} << 24);
  ForEachPixel(row, row, count, [&](__m128i p, __m128i) {
    const __m128i colour = _mm_and_si128(p, colourBits);
    const __m128i isKey = _mm_cmpeq_epi32(colour, keys);
    return Select(isKey, p, _mm_or_si128(colour, newAlpha));
  });
}

void RecolourVisible(std::uint8_t* row, std::int32_t count, std::uint32_t key) {
  const __m128i alphaBits = Splat(0xFF000000);
  const __m128i keys = Splat(key);
  ForEachPixel(row, row, count, [&](__m128i p, __m128i) {
    const __m128i alpha = _mm_and_si128(p, alphaBits);
    const __m128i transparent = _mm_cmpeq_epi32(alpha, _mm_setzero_si128());
    return Select(transparent, p, _mm_or_si128(alpha, keys));
  });
}

void StampKey(const std::uint8_t* src, std::uint8_t* dst, std::int32_t count,
              std::uint32_t opaqueKey, bool invert) {
  const __m128i keys = Splat(opaqueKey);
  const __m128i flip = invert ? Splat(0xFFFFFFFF) : _mm_setzero_si128();
  ForEachPixel(src, dst, count, [&](__m128i s, __m128i d) {
    const __m128i stamp = _mm_xor_si128(_mm_cmpeq_epi32(s, keys), flip);
    return Select(stamp, keys, d);
  });
}

}  // namespace

void UpgradeToSse2(AlphaKernels& kernels) {
  kernels = {CopyAlphaToByte2, CopyAlphaToByte3, SetAlphaOutsideKey, RecolourVisible, StampKey};
}

}  // namespace kestrimo
