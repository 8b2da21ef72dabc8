// AVX2 twins of the presence passes: the SSE2 steps on 16 pixels at a time
// (at most 256 steps of a kPresenceMaxRow row per 32-bit lane). Tails go
// through the references.
#include <immintrin.h>

#include "imaging/LogoPresenceKernels.h"

namespace kestrimo {
namespace {

__m256i Widen(const std::uint8_t* p) {
  return _mm256_cvtepu8_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)));
}

__m256i Load(const std::int16_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

std::int64_t LaneTotal(__m256i v) {
  alignas(32) std::int32_t lanes[8];
  _mm256_store_si256(reinterpret_cast<__m256i*>(lanes), v);
  std::int64_t total = 0;
  for (const std::int32_t lane : lanes) total += lane;
  return total;
}

LogoPresenceKernels Reference() {
  LogoPresenceKernels scalar{};
  FillScalar(scalar);
  return scalar;
}

__m256i Load(const std::uint8_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}

// Sixteen pixels' key samples of a YUY2 row (every other byte) and of a
// work row (the first byte of every four), as 16-bit lanes in order.
__m256i FrameLuma(const std::uint8_t* p) {
  return _mm256_and_si256(Load(p), _mm256_set1_epi16(0xFF));
}
__m256i WorkLuma(const std::uint8_t* p) {
  const __m256i low = _mm256_set1_epi32(0xFF);
  const __m256i packed =
      _mm256_packs_epi32(_mm256_and_si256(Load(p), low), _mm256_and_si256(Load(p + 32), low));
  return _mm256_permute4x64_epi64(packed, 0xD8);  // the packs work per 128-bit half
}

void DifferenceRow(const std::uint8_t* shown, std::int32_t shownStep, const std::uint8_t* fill,
                   std::int32_t fillStep, const std::uint8_t* opacity, const std::uint8_t* colour,
                   std::int32_t count, std::int16_t* difference, std::int16_t* expected) {
  std::int32_t i = 0;
  for (; shownStep == 2 && fillStep == 4 && i + 16 <= count; i += 16) {
    const __m256i w = WorkLuma(fill + 4 * i);
    const __m256i towardsLogo = _mm256_slli_epi16(_mm256_sub_epi16(Widen(colour + i), w), 7);
    const __m256i e = _mm256_mulhi_epi16(towardsLogo, _mm256_slli_epi16(Widen(opacity + i), 1));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(difference + i),
                        _mm256_sub_epi16(FrameLuma(shown + 2 * i), w));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(expected + i), e);
  }
  Reference().differenceRow(shown + i * shownStep, shownStep, fill + i * fillStep, fillStep,
                            opacity + i, colour + i, count - i, difference + i, expected + i);
}

void SumRow(const std::int16_t* differenceAbove, const std::int16_t* difference,
            const std::int16_t* differenceBelow, const std::int16_t* expectedAbove,
            const std::int16_t* expected, const std::int16_t* expectedBelow, std::int32_t count,
            PresenceSums* sums) {
  __m256i match = _mm256_setzero_si256(), energy = _mm256_setzero_si256();
  std::int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m256i dx = _mm256_sub_epi16(Load(difference + i + 1), Load(difference + i - 1));
    const __m256i dy = _mm256_sub_epi16(Load(differenceBelow + i), Load(differenceAbove + i));
    const __m256i ex = _mm256_sub_epi16(Load(expected + i + 1), Load(expected + i - 1));
    const __m256i ey = _mm256_sub_epi16(Load(expectedBelow + i), Load(expectedAbove + i));
    // The pairs may be interleaved per 128-bit half: the sums run over all lanes.
    const __m256i dLow = _mm256_unpacklo_epi16(dx, dy), dHigh = _mm256_unpackhi_epi16(dx, dy);
    const __m256i eLow = _mm256_unpacklo_epi16(ex, ey), eHigh = _mm256_unpackhi_epi16(ex, ey);
    match = _mm256_add_epi32(match, _mm256_add_epi32(_mm256_madd_epi16(dLow, eLow),
                                                     _mm256_madd_epi16(dHigh, eHigh)));
    energy = _mm256_add_epi32(energy, _mm256_add_epi32(_mm256_madd_epi16(eLow, eLow),
                                                       _mm256_madd_epi16(eHigh, eHigh)));
  }
  sums->match += LaneTotal(match);
  sums->energy += LaneTotal(energy);
  Reference().sumRow(differenceAbove + i, difference + i, differenceBelow + i, expectedAbove + i,
                     expected + i, expectedBelow + i, count - i, sums);
}

}  // namespace

void UpgradeToAvx2(LogoPresenceKernels& kernels) {
  kernels.differenceRow = DifferenceRow;
  kernels.sumRow = SumRow;
}

}  // namespace kestrimo
