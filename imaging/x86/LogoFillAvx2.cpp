// AVX2 twins of the logo fill's row run and column groups, with the SSE2
// twins' arithmetic on 256-bit vectors: a row run eight pixels a step, a
// column group eight columns a step. A group's last columns that do not fill
// eight, and single columns, go to the SSE2 twins.
#include <immintrin.h>

#include <cstddef>
#include <cstdint>

#include "imaging/LogoFillKernels.h"
#include "imaging/x86/Sse2Pixel.h"

namespace kestrimo {
namespace {

constexpr std::ptrdiff_t kPixelBytes = 4;

// round((P1 - P0) / distance * 128) in 32-bit lanes, as the SSE2 twin forms
// it; the 16-bit saturation happens where the lanes are packed.
__m256i RunSlope(__m256i p0, __m256i p1, std::int32_t distance) {
  const __m256 difference = _mm256_cvtepi32_ps(_mm256_sub_epi32(p1, p0));
  const __m256 quotient =
      _mm256_div_ps(difference, _mm256_set1_ps(static_cast<float>(distance)));
  return _mm256_cvtps_epi32(_mm256_mul_ps(quotient, _mm256_set1_ps(128.0f)));
}

__m256i Halves(__m128i low, __m128i high) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(low), high, 1);
}

// The bytes of eight pixels from their 32-bit accumulators, two pixels per
// vector: a = (1 | 5), b = (2 | 6), c = (3 | 7), d = (4 | 8).
__m256i Shrink(__m256i a, __m256i b, __m256i c, __m256i d) {
  const __m256i ab = _mm256_srai_epi16(_mm256_packs_epi32(a, b), 7);
  const __m256i cd = _mm256_srai_epi16(_mm256_packs_epi32(c, d), 7);
  return _mm256_packus_epi16(ab, cd);
}

// As the SSE2 twin: the saturated 16-bit accumulator equals the exact sum
// saturated, so the sums are kept in 32 bits and saturated when packed.
void FillRowRun(std::uint8_t* anchor, std::int32_t distance) {
  const __m128i p0 = WidenPixel(LoadPixel(anchor));
  const __m128i p1 = WidenPixel(LoadPixel(anchor + distance * kPixelBytes));
  const __m128i slope = RunSlope(p0, p1, distance);
  const __m128i acc1 = _mm_add_epi32(_mm_slli_epi32(p0, 7), slope);
  const __m128i acc2 = _mm_add_epi32(acc1, slope);
  const __m128i acc3 = _mm_add_epi32(acc2, slope);
  const __m128i acc4 = _mm_add_epi32(acc3, slope);
  const __m128i step4 = _mm_slli_epi32(slope, 2);
  __m256i a = Halves(acc1, _mm_add_epi32(acc1, step4));
  __m256i b = Halves(acc2, _mm_add_epi32(acc2, step4));
  __m256i c = Halves(acc3, _mm_add_epi32(acc3, step4));
  __m256i d = Halves(acc4, _mm_add_epi32(acc4, step4));
  const __m256i step8 = _mm256_broadcastsi128_si256(_mm_slli_epi32(slope, 3));

  std::uint8_t* out = anchor + kPixelBytes;
  std::int32_t left = distance - 1;
  for (; left >= 8; left -= 8, out += 8 * kPixelBytes) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), Shrink(a, b, c, d));
    a = _mm256_add_epi32(a, step8);
    b = _mm256_add_epi32(b, step8);
    c = _mm256_add_epi32(c, step8);
    d = _mm256_add_epi32(d, step8);
  }
  if (left == 0) return;
  const __m256i keep = _mm256_cmpgt_epi32(_mm256_set1_epi32(left),
                                          _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  _mm256_maskstore_epi32(reinterpret_cast<int*>(out), keep, Shrink(a, b, c, d));
}

// Eight neighbouring columns per step, each lane with the 16-bit accumulator
// and slope of the single column. Words hold pixels (0, 1 | 4, 5) and
// (2, 3 | 6, 7), the order in which packing gives them back.
void BlendEightColumns(std::uint8_t* anchor, std::ptrdiff_t stride, std::int32_t distance) {
  const __m256i zero = _mm256_setzero_si256();
  const __m256i first = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(anchor));
  const __m256i last =
      _mm256_loadu_si256(reinterpret_cast<const __m256i*>(anchor + distance * stride));
  const __m256i firstA = _mm256_unpacklo_epi8(first, zero);
  const __m256i firstB = _mm256_unpackhi_epi8(first, zero);
  const __m256i lastA = _mm256_unpacklo_epi8(last, zero);
  const __m256i lastB = _mm256_unpackhi_epi8(last, zero);
  const __m256i slopeA = _mm256_packs_epi32(
      RunSlope(_mm256_unpacklo_epi16(firstA, zero), _mm256_unpacklo_epi16(lastA, zero), distance),
      RunSlope(_mm256_unpackhi_epi16(firstA, zero), _mm256_unpackhi_epi16(lastA, zero), distance));
  const __m256i slopeB = _mm256_packs_epi32(
      RunSlope(_mm256_unpacklo_epi16(firstB, zero), _mm256_unpacklo_epi16(lastB, zero), distance),
      RunSlope(_mm256_unpackhi_epi16(firstB, zero), _mm256_unpackhi_epi16(lastB, zero), distance));
  __m256i accA = _mm256_slli_epi16(firstA, 7);
  __m256i accB = _mm256_slli_epi16(firstB, 7);
  std::uint8_t* pixel = anchor;
  for (std::int32_t k = 1; k < distance; ++k) {
    pixel += stride;
    accA = _mm256_adds_epi16(accA, slopeA);
    accB = _mm256_adds_epi16(accB, slopeB);
    const __m256i value =
        _mm256_packus_epi16(_mm256_srai_epi16(accA, 7), _mm256_srai_epi16(accB, 7));
    auto* row = reinterpret_cast<__m256i*>(pixel);
    _mm256_storeu_si256(row, _mm256_avg_epu8(value, _mm256_loadu_si256(row)));
  }
}

void BlendColumnRuns(std::uint8_t* anchor, std::ptrdiff_t stride, std::int32_t distance,
                     std::int32_t columns) {
  std::int32_t c = 0;
  for (; c + 8 <= columns; c += 8) BlendEightColumns(anchor + c * kPixelBytes, stride, distance);
  if (c < columns) BlendColumnRunsSse2(anchor + c * kPixelBytes, stride, distance, columns - c);
}

}  // namespace

void UpgradeToAvx2(LogoFillKernels& kernels) {
  kernels.fillRowRun = FillRowRun;
  kernels.blendColumnRuns = BlendColumnRuns;
}

}  // namespace kestrimo
