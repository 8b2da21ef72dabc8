// AVX2 twin of the logo subtraction row: 16 samples per step, widened so
// that each 128-bit lane holds the pairs of eight consecutive samples, two
// multiply-adds, the bases added as in the SSE2 twin, the words put back in
// order and the bytes packed.
#include <immintrin.h>

#include "imaging/LogoSubtractKernels.h"

namespace kestrimo {
namespace {

constexpr int kQuadsInOrder = 0xD8;  // 64-bit quarters 0, 2, 1, 3

void SubtractRow(std::uint8_t* samples, const SubtractCoefficient* coefficients,
                 std::int32_t count) {
  const __m256i scale = _mm256_set1_epi16(static_cast<short>(kSubtractOffsetScale));
  const __m256i rounding = _mm256_set1_epi32((1 << (kSubtractGainShift - 1)) +
                                             kSubtractOffsetScale * kSubtractOffsetBase);
  const auto* c = reinterpret_cast<const __m256i*>(coefficients);
  std::int32_t i = 0;
  for (; i + 16 <= count; i += 16, c += 2) {
    const __m128i s = _mm_loadu_si128(reinterpret_cast<const __m128i*>(samples + i));
    // Words 0-3, 8-11 | 4-7, 12-15: the low halves of the lanes hold 0-7.
    const __m256i words = _mm256_permute4x64_epi64(_mm256_cvtepu8_epi16(s), kQuadsInOrder);
    __m256i first = _mm256_madd_epi16(_mm256_unpacklo_epi16(words, scale), _mm256_loadu_si256(c));
    __m256i second =
        _mm256_madd_epi16(_mm256_unpackhi_epi16(words, scale), _mm256_loadu_si256(c + 1));
    first = _mm256_srai_epi32(_mm256_add_epi32(first, rounding), kSubtractGainShift);
    second = _mm256_srai_epi32(_mm256_add_epi32(second, rounding), kSubtractGainShift);
    const __m256i based = _mm256_add_epi16(_mm256_packs_epi32(first, second),
                                           _mm256_slli_epi16(words, kSubtractGainBaseShift));
    const __m256i packed = _mm256_permute4x64_epi64(based, kQuadsInOrder);
    const __m128i bytes = _mm_packus_epi16(_mm256_castsi256_si128(packed),
                                           _mm256_extracti128_si256(packed, 1));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(samples + i), bytes);
  }
  LogoSubtractKernels scalar{};
  FillScalar(scalar);
  scalar.subtractRow(samples + i, coefficients + i, count - i);
}

}  // namespace

void UpgradeToAvx2(LogoSubtractKernels& kernels) { kernels.subtractRow = SubtractRow; }

}  // namespace kestrimo
