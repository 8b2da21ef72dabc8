// SSE2 twins of the presence passes, 8 pixels per step in 16-bit lanes; the
// difference pass reads the key samples of YUY2 rows where they lie. The
// product a (L - w) >> 8 is the high half of (L - w) * 128 times a * 2, both
// within 16 bits. The gradient sums are multiply-adds of (dx, dy) pairs into
// 32-bit lanes: a row of kPresenceMaxRow pixels adds at most 512 steps of
// 2 * 2 * 510 * 510 per lane, well within 31 bits. Tails go through the
// references.
#include <emmintrin.h>

#include "imaging/LogoPresenceKernels.h"

namespace kestrimo {
namespace {

__m128i Widen(const std::uint8_t* p) {
  return _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                           _mm_setzero_si128());
}

__m128i Load(const std::int16_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

std::int64_t LaneTotal(__m128i v) {
  alignas(16) std::int32_t lanes[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), v);
  return std::int64_t{lanes[0]} + lanes[1] + lanes[2] + lanes[3];
}

LogoPresenceKernels Reference() {
  LogoPresenceKernels scalar{};
  FillScalar(scalar);
  return scalar;
}

__m128i Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Eight pixels' key samples of a YUY2 row (every other byte) and of a work
// row (the first byte of every four), as 16-bit lanes.
__m128i FrameLuma(const std::uint8_t* p) { return _mm_and_si128(Load(p), _mm_set1_epi16(0xFF)); }
__m128i WorkLuma(const std::uint8_t* p) {
  const __m128i low = _mm_set1_epi32(0xFF);
  return _mm_packs_epi32(_mm_and_si128(Load(p), low), _mm_and_si128(Load(p + 16), low));
}

void DifferenceRow(const std::uint8_t* shown, std::int32_t shownStep, const std::uint8_t* fill,
                   std::int32_t fillStep, const std::uint8_t* opacity, const std::uint8_t* colour,
                   std::int32_t count, std::int16_t* difference, std::int16_t* expected) {
  std::int32_t i = 0;
  for (; shownStep == 2 && fillStep == 4 && i + 8 <= count; i += 8) {
    const __m128i w = WorkLuma(fill + 4 * i);
    const __m128i towardsLogo = _mm_slli_epi16(_mm_sub_epi16(Widen(colour + i), w), 7);
    const __m128i e = _mm_mulhi_epi16(towardsLogo, _mm_slli_epi16(Widen(opacity + i), 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(difference + i),
                     _mm_sub_epi16(FrameLuma(shown + 2 * i), w));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(expected + i), e);
  }
  Reference().differenceRow(shown + i * shownStep, shownStep, fill + i * fillStep, fillStep,
                            opacity + i, colour + i, count - i, difference + i, expected + i);
}

void SumRow(const std::int16_t* differenceAbove, const std::int16_t* difference,
            const std::int16_t* differenceBelow, const std::int16_t* expectedAbove,
            const std::int16_t* expected, const std::int16_t* expectedBelow, std::int32_t count,
            PresenceSums* sums) {
  __m128i match = _mm_setzero_si128(), energy = _mm_setzero_si128();
  std::int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m128i dx = _mm_sub_epi16(Load(difference + i + 1), Load(difference + i - 1));
    const __m128i dy = _mm_sub_epi16(Load(differenceBelow + i), Load(differenceAbove + i));
    const __m128i ex = _mm_sub_epi16(Load(expected + i + 1), Load(expected + i - 1));
    const __m128i ey = _mm_sub_epi16(Load(expectedBelow + i), Load(expectedAbove + i));
    // (dx, dy) . (ex, ey) per pixel, as pairs of lanes.
    const __m128i dLow = _mm_unpacklo_epi16(dx, dy), dHigh = _mm_unpackhi_epi16(dx, dy);
    const __m128i eLow = _mm_unpacklo_epi16(ex, ey), eHigh = _mm_unpackhi_epi16(ex, ey);
    match = _mm_add_epi32(match, _mm_add_epi32(_mm_madd_epi16(dLow, eLow), _mm_madd_epi16(dHigh, eHigh)));
    energy = _mm_add_epi32(energy, _mm_add_epi32(_mm_madd_epi16(eLow, eLow), _mm_madd_epi16(eHigh, eHigh)));
  }
  sums->match += LaneTotal(match);
  sums->energy += LaneTotal(energy);
  Reference().sumRow(differenceAbove + i, difference + i, differenceBelow + i, expectedAbove + i,
                     expected + i, expectedBelow + i, count - i, sums);
}

}  // namespace

void UpgradeToSse2(LogoPresenceKernels& kernels) {
  kernels.differenceRow = DifferenceRow;
  kernels.sumRow = SumRow;
}

}  // namespace kestrimo
