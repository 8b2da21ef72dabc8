// SSE2 twins of imaging/GradientKernels.cpp, 16 pixels a step, the rest by
// the scalar formula.
#include <emmintrin.h>

#include "imaging/GradientKernels.h"

namespace kestrimo {
namespace {

__m128i Load(const void* p) { return _mm_loadu_si128(static_cast<const __m128i*>(p)); }
void Store(void* p, __m128i v) { _mm_storeu_si128(static_cast<__m128i*>(p), v); }

// sums[0..7] += the eight signed 16-bit lanes of d.
void AddWidened(std::int32_t* sums, __m128i d) {
  const __m128i low = _mm_srai_epi32(_mm_unpacklo_epi16(d, d), 16);
  const __m128i high = _mm_srai_epi32(_mm_unpackhi_epi16(d, d), 16);
  Store(sums, _mm_add_epi32(Load(sums), low));
  Store(sums + 4, _mm_add_epi32(Load(sums + 4), high));
}

// sums[0..7] += the eight unsigned 16-bit lanes of v.
void AddUnsigned(std::uint32_t* sums, __m128i v) {
  const __m128i zero = _mm_setzero_si128();
  Store(sums, _mm_add_epi32(Load(sums), _mm_unpacklo_epi16(v, zero)));
  Store(sums + 4, _mm_add_epi32(Load(sums + 4), _mm_unpackhi_epi16(v, zero)));
}

void SumStepsSse2(const std::uint8_t* from, const std::uint8_t* to, std::int32_t count,
                  std::int32_t step, std::int32_t* sums, std::uint8_t* rising,
                  std::uint8_t* falling) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i up = _mm_set1_epi16(static_cast<short>(step));
  const __m128i down = _mm_set1_epi16(static_cast<short>(-step));
  std::int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i a = Load(from + i), b = Load(to + i);
    const __m128i low = _mm_sub_epi16(_mm_unpacklo_epi8(b, zero), _mm_unpacklo_epi8(a, zero));
    const __m128i high = _mm_sub_epi16(_mm_unpackhi_epi8(b, zero), _mm_unpackhi_epi8(a, zero));
    // Lanes of -1 where the step counts; subtracting them adds 1.
    const __m128i rises = _mm_packs_epi16(_mm_cmpgt_epi16(low, up), _mm_cmpgt_epi16(high, up));
    const __m128i falls = _mm_packs_epi16(_mm_cmplt_epi16(low, down), _mm_cmplt_epi16(high, down));
    Store(rising + i, _mm_sub_epi8(Load(rising + i), rises));
    Store(falling + i, _mm_sub_epi8(Load(falling + i), falls));
    AddWidened(sums + i, low);
    AddWidened(sums + i + 8, high);
  }
  for (; i < count; ++i) {
    const std::int32_t d = to[i] - from[i];
    sums[i] += d;
    rising[i] = static_cast<std::uint8_t>(rising[i] + (d > step));
    falling[i] = static_cast<std::uint8_t>(falling[i] + (d < -step));
  }
}

void SumValuesSse2(const std::uint8_t* row, std::int32_t count, std::uint32_t* values,
                   std::uint32_t* squares) {
  const __m128i zero = _mm_setzero_si128();
  std::int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i v = Load(row + i);
    const __m128i low = _mm_unpacklo_epi8(v, zero), high = _mm_unpackhi_epi8(v, zero);
    AddUnsigned(values + i, low);
    AddUnsigned(values + i + 8, high);
    if (squares == nullptr) continue;
    // 255^2 fits 16 unsigned bits: the low half of the product is exact.
    AddUnsigned(squares + i, _mm_mullo_epi16(low, low));
    AddUnsigned(squares + i + 8, _mm_mullo_epi16(high, high));
  }
  for (; i < count; ++i) {
    values[i] += row[i];
    if (squares != nullptr) squares[i] += std::uint32_t{row[i]} * row[i];
  }
}

}  // namespace

void UpgradeToSse2(GradientKernels& kernels) {
  kernels.sumSteps = SumStepsSse2;
  kernels.sumValues = SumValuesSse2;
}

}  // namespace kestrimo
