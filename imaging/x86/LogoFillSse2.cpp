// SSE2 twins of the logo fill runs. A pixel's four bytes are four lanes; the
// slope is formed in single precision exactly as the reference does and
// rounded by the processor's default mode (nearest, ties to even).
#include <emmintrin.h>

#include "imaging/LogoFillKernels.h"
#include "imaging/x86/Sse2Pixel.h"

namespace kestrimo {
namespace {

constexpr std::ptrdiff_t kPixelBytes = 4;

// Bytes of the pixels whose 32-bit accumulators are a and b (two pixels of
// four lanes each): 16-bit saturation, >> 7, clamp to 0..255.
__m128i Shrink(__m128i a, __m128i b) {
  return _mm_srai_epi16(_mm_packs_epi32(a, b), 7);
}

// Adding a constant step with 16-bit saturation from a start inside the
// range gives the saturated exact sum at every pixel, so the accumulators of
// four pixels are formed in 32 bits (they cannot overflow there) and
// saturated when packed.
void FillRowRun(std::uint8_t* anchor, std::int32_t distance) {
  const __m128i p0 = WidenPixel(LoadPixel(anchor));
  const __m128i p1 = WidenPixel(LoadPixel(anchor + distance * kPixelBytes));
  const __m128i slope = RunSlope(p0, p1, distance);
  const __m128i step4 = _mm_slli_epi32(slope, 2);
  __m128i acc1 = _mm_add_epi32(_mm_slli_epi32(p0, 7), slope);
  __m128i acc2 = _mm_add_epi32(acc1, slope);
  __m128i acc3 = _mm_add_epi32(acc2, slope);
  __m128i acc4 = _mm_add_epi32(acc3, slope);

  std::uint8_t* out = anchor + kPixelBytes;
  std::int32_t left = distance - 1;
  for (; left >= 4; left -= 4, out += 4 * kPixelBytes) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out),
                     _mm_packus_epi16(Shrink(acc1, acc2), Shrink(acc3, acc4)));
    acc1 = _mm_add_epi32(acc1, step4);
    acc2 = _mm_add_epi32(acc2, step4);
    acc3 = _mm_add_epi32(acc3, step4);
    acc4 = _mm_add_epi32(acc4, step4);
  }
  if (left == 0) return;
  const __m128i bytes = _mm_packus_epi16(Shrink(acc1, acc2), Shrink(acc3, acc4));
  if (left == 1) {
    StorePixel(out, bytes);
    return;
  }
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), bytes);
  if (left == 3) StorePixel(out + 2 * kPixelBytes, _mm_srli_si128(bytes, 8));
}

// A column's pixels lie a row apart, so it goes one pixel per step with the
// 16-bit accumulator exactly as stated.
void BlendColumnRun(std::uint8_t* anchor, std::ptrdiff_t stride, std::int32_t distance) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i p0 = WidenPixel(LoadPixel(anchor));
  const __m128i p1 = WidenPixel(LoadPixel(anchor + distance * stride));
  const __m128i slope32 = RunSlope(p0, p1, distance);
  const __m128i slope = _mm_packs_epi32(slope32, slope32);
  __m128i acc = _mm_slli_epi16(_mm_packs_epi32(p0, p0), 7);
  std::uint8_t* pixel = anchor;
  for (std::int32_t k = 1; k < distance; ++k) {
    pixel += stride;
    acc = _mm_adds_epi16(acc, slope);
    const __m128i value = _mm_packus_epi16(_mm_srai_epi16(acc, 7), zero);
    StorePixel(pixel, _mm_avg_epu8(value, LoadPixel(pixel)));
  }
}

// Four neighbouring columns per step: two pixels per register, each lane
// with the same 16-bit accumulator and slope as the single column.
void BlendFourColumns(std::uint8_t* anchor, std::ptrdiff_t stride, std::int32_t distance) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(anchor));
  const __m128i last =
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(anchor + distance * stride));
  const __m128i first01 = _mm_unpacklo_epi8(first, zero);
  const __m128i first23 = _mm_unpackhi_epi8(first, zero);
  const __m128i last01 = _mm_unpacklo_epi8(last, zero);
  const __m128i last23 = _mm_unpackhi_epi8(last, zero);
  const __m128i slope01 = _mm_packs_epi32(
      RunSlope(_mm_unpacklo_epi16(first01, zero), _mm_unpacklo_epi16(last01, zero), distance),
      RunSlope(_mm_unpackhi_epi16(first01, zero), _mm_unpackhi_epi16(last01, zero), distance));
  const __m128i slope23 = _mm_packs_epi32(
      RunSlope(_mm_unpacklo_epi16(first23, zero), _mm_unpacklo_epi16(last23, zero), distance),
      RunSlope(_mm_unpackhi_epi16(first23, zero), _mm_unpackhi_epi16(last23, zero), distance));
  __m128i acc01 = _mm_slli_epi16(first01, 7);
  __m128i acc23 = _mm_slli_epi16(first23, 7);
  std::uint8_t* pixel = anchor;
  for (std::int32_t k = 1; k < distance; ++k) {
    pixel += stride;
    acc01 = _mm_adds_epi16(acc01, slope01);
    acc23 = _mm_adds_epi16(acc23, slope23);
    const __m128i value =
        _mm_packus_epi16(_mm_srai_epi16(acc01, 7), _mm_srai_epi16(acc23, 7));
    const __m128i old = _mm_loadu_si128(reinterpret_cast<const __m128i*>(pixel));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixel), _mm_avg_epu8(value, old));
  }
}

}  // namespace

void BlendColumnRunsSse2(std::uint8_t* anchor, std::ptrdiff_t stride, std::int32_t distance,
                         std::int32_t columns) {
  std::int32_t c = 0;
  for (; c + 4 <= columns; c += 4) BlendFourColumns(anchor + c * kPixelBytes, stride, distance);
  for (; c < columns; ++c) BlendColumnRun(anchor + c * kPixelBytes, stride, distance);
}

void UpgradeToSse2(LogoFillKernels& kernels) {
  kernels = {FillRowRun, BlendColumnRun, BlendColumnRunsSse2};
}

}  // namespace kestrimo
