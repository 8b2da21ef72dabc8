// AVX2 twins of the per-frame alpha copies: eight pixels per step as 32-bit
// lanes; a row's last 1..7 pixels are read and written with dword masks, so
// nothing past the row is touched. The colour-key rows are the SSE2 ones.
#include <immintrin.h>

#include <cstdint>

#include "imaging/AlphaKernels.h"

namespace kestrimo {
namespace {

__m256i Splat(std::uint32_t value) {
  return _mm256_set1_epi32(static_cast<std::int32_t>(value));
}

// Runs `op(src, dst) -> new dst` over a row.
template <typename Op>
void ForEachPixel(const std::uint8_t* src, std::uint8_t* dst, std::int32_t count, Op op) {
  std::int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    const __m256i s = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(src + 4 * i));
    auto* d = reinterpret_cast<__m256i*>(dst + 4 * i);
    _mm256_storeu_si256(d, op(s, _mm256_loadu_si256(d)));
  }
  if (i >= count) return;
  const __m256i keep = _mm256_cmpgt_epi32(_mm256_set1_epi32(count - i),
                                          _mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7));
  const __m256i s = _mm256_maskload_epi32(reinterpret_cast<const int*>(src + 4 * i), keep);
  auto* d = reinterpret_cast<int*>(dst + 4 * i);
  _mm256_maskstore_epi32(d, keep, op(s, _mm256_maskload_epi32(d, keep)));
}

void CopyAlphaToByte2(const std::uint8_t* mask, std::uint8_t* work, std::int32_t count) {
  const __m256i alphaBits = Splat(0xFF000000);
  const __m256i byte2 = Splat(0x00FF0000);
  ForEachPixel(mask, work, count, [&](__m256i m, __m256i w) {
    return _mm256_or_si256(_mm256_andnot_si256(byte2, w),
                           _mm256_srli_epi32(_mm256_and_si256(m, alphaBits), 8));
  });
}

void CopyAlphaToByte3(const std::uint8_t* mask, std::uint8_t* work, std::int32_t count) {
  const __m256i alphaBits = Splat(0xFF000000);
  ForEachPixel(mask, work, count,
               [&](__m256i m, __m256i w) { return _mm256_blendv_epi8(w, m, alphaBits); });
}

}  // namespace

void UpgradeToAvx2(AlphaKernels& kernels) {
  kernels.copyAlphaToByte2 = CopyAlphaToByte2;
  kernels.copyAlphaToByte3 = CopyAlphaToByte3;
}

}  // namespace kestrimo
