// SSE2 twin of the logo subtraction row: 16 samples per step, each widened
// to a (sample, 256) pair of 16-bit lanes and multiplied with its stored
// (gain, offset) pair in one multiply-add; the bases, whole levels, are
// added as -1536 with the rounding and as 8 s after the shift, in 16-bit
// lanes. The tail goes through the reference.
#include <emmintrin.h>

#include "imaging/LogoSubtractKernels.h"

namespace kestrimo {
namespace {

void SubtractRow(std::uint8_t* samples, const SubtractCoefficient* coefficients,
                 std::int32_t count) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i scale = _mm_set1_epi16(static_cast<short>(kSubtractOffsetScale));
  const __m128i rounding = _mm_set1_epi32((1 << (kSubtractGainShift - 1)) +
                                          kSubtractOffsetScale * kSubtractOffsetBase);
  const auto* c = reinterpret_cast<const __m128i*>(coefficients);
  std::int32_t i = 0;
  for (; i + 16 <= count; i += 16, c += 4) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + i));
    const __m128i low = _mm_unpacklo_epi8(s, zero);
    const __m128i high = _mm_unpackhi_epi8(s, zero);
    __m128i r[4] = {_mm_unpacklo_epi16(low, scale), _mm_unpackhi_epi16(low, scale),
                    _mm_unpacklo_epi16(high, scale), _mm_unpackhi_epi16(high, scale)};
    for (int k = 0; k < 4; ++k) {
      r[k] = _mm_madd_epi16(r[k], _mm_loadu_si128(c + k));
      r[k] = _mm_srai_epi32(_mm_add_epi32(r[k], rounding), kSubtractGainShift);
    }
    const __m128i first =
        _mm_add_epi16(_mm_packs_epi32(r[0], r[1]), _mm_slli_epi16(low, kSubtractGainBaseShift));
    const __m128i second =
        _mm_add_epi16(_mm_packs_epi32(r[2], r[3]), _mm_slli_epi16(high, kSubtractGainBaseShift));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(samples + i), _mm_packus_epi16(first, second));
  }
  LogoSubtractKernels scalar{};
  FillScalar(scalar);
  scalar.subtractRow(samples + i, coefficients + i, count - i);
}

}  // namespace

void UpgradeToSse2(LogoSubtractKernels& kernels) { kernels.subtractRow = SubtractRow; }

}  // namespace kestrimo
