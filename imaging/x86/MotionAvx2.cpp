// AVX2 twin of the block sum: 32 bytes per psadbw, and blocks 16 bytes wide
// (the blocks the ring is cut into) two rows per step; the rest of a row 16
// and 8 bytes at a time. The other motion passes keep their SSE2 twins:
// they gather and halve a few hundred rows a frame, and the squared sums
// run on nine blocks of a found block, too little for wider vectors to pay.
#include <immintrin.h>

#include <algorithm>

#include "imaging/MotionKernels.h"

namespace kestrimo {
namespace {

MotionKernels Reference() {
  MotionKernels scalar{};
  FillScalar(scalar);
  return scalar;
}

__m256i Load(const std::uint8_t* p) {
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
__m256i LoadRows(const std::uint8_t* first, const std::uint8_t* second) {
  return _mm256_inserti128_si256(
      _mm256_castsi128_si256(_mm_loadu_si128(reinterpret_cast<const __m128i*>(first))),
      _mm_loadu_si128(reinterpret_cast<const __m128i*>(second)), 1);
}

std::uint32_t BlockSad(const std::uint8_t* a, std::int32_t aStride, const std::uint8_t* b,
                       std::int32_t bStride, std::int32_t width, std::int32_t rows) {
  __m256i sums = _mm256_setzero_si256();
  __m128i lastRow = _mm_setzero_si128();
  std::int32_t done = 0;
  if (width == 16) {
    std::int32_t r = 0;
    for (; r + 2 <= rows; r += 2) {
      const std::uint8_t* ar = a + static_cast<std::ptrdiff_t>(r) * aStride;
      const std::uint8_t* br = b + static_cast<std::ptrdiff_t>(r) * bStride;
      sums = _mm256_add_epi32(
          sums, _mm256_sad_epu8(LoadRows(ar, ar + aStride), LoadRows(br, br + bStride)));
    }
    if (r < rows) {
      const std::uint8_t* ar = a + static_cast<std::ptrdiff_t>(r) * aStride;
      const std::uint8_t* br = b + static_cast<std::ptrdiff_t>(r) * bStride;
      lastRow = _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(ar)),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(br)));
    }
    done = 16;
  } else if (width >= 32) {
    done = width & ~31;
    for (std::int32_t r = 0; r < rows; ++r) {
      const std::uint8_t* ar = a + static_cast<std::ptrdiff_t>(r) * aStride;
      const std::uint8_t* br = b + static_cast<std::ptrdiff_t>(r) * bStride;
      for (std::int32_t i = 0; i < done; i += 32)
        sums = _mm256_add_epi32(sums, _mm256_sad_epu8(Load(ar + i), Load(br + i)));
    }
  }
  std::uint32_t total = 0;
  if (done > 0) {
    const __m128i half = _mm_add_epi32(
        lastRow, _mm_add_epi32(_mm256_castsi256_si128(sums), _mm256_extracti128_si256(sums, 1)));
    total = static_cast<std::uint32_t>(_mm_cvtsi128_si32(half)) +
            static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(half, 8)));
  }
  // What is left, 16 and 8 bytes at a time, then through the reference.
  __m128i rest = _mm_setzero_si128();
  const std::int32_t wide = done + ((width - done) & ~15), narrow = (width - wide) & 8;
  if (done < width) {
    for (std::int32_t r = 0; r < rows; ++r) {
      const std::uint8_t* ar = a + static_cast<std::ptrdiff_t>(r) * aStride;
      const std::uint8_t* br = b + static_cast<std::ptrdiff_t>(r) * bStride;
      for (std::int32_t i = done; i < wide; i += 16)
        rest = _mm_add_epi32(rest, _mm_sad_epu8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(ar + i)),
                                                _mm_loadu_si128(reinterpret_cast<const __m128i*>(br + i))));
      if (narrow != 0)
        rest = _mm_add_epi32(rest, _mm_sad_epu8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(ar + wide)),
                                                _mm_loadl_epi64(reinterpret_cast<const __m128i*>(br + wide))));
    }
  }
  total += static_cast<std::uint32_t>(_mm_cvtsi128_si32(rest)) +
           static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(rest, 8)));
  done = std::max(done, wide + narrow);
  if (done < width) total += Reference().blockSad(a + done, aStride, b + done, bStride, width - done, rows);
  return total;
}

}  // namespace

void UpgradeToAvx2(MotionKernels& kernels) { kernels.blockSad = BlockSad; }

}  // namespace kestrimo
