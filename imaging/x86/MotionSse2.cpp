// SSE2 twins of the motion passes. The key samples of YUY2 rows are every
// other byte: the low bytes of 16-bit lanes, packed. Halving sums the two
// bytes of each lane of both rows in 16-bit lanes. The block sum takes 16
// bytes per psadbw, then 8; each psadbw lane holds at most 8 * 255 per row
// and the 32-bit total at most kMotionMaxBlockPixels * 255. Tails go through
// the references. The squares are multiply-adds of 16-bit differences,
// two squares of at most 255^2 per 32-bit lane a step: a lane holds at most
// kMotionMaxBlockPixels / 4 of them, within 31 bits.
#include <emmintrin.h>

#include "imaging/MotionKernels.h"

namespace kestrimo {
namespace {

MotionKernels Reference() {
  MotionKernels scalar{};
  FillScalar(scalar);
  return scalar;
}

__m128i Load(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
__m128i Load8(const std::uint8_t* p) {
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}

void KeyRow(const std::uint8_t* samples, std::int32_t step, std::int32_t count,
            std::uint8_t* keys) {
  std::int32_t i = 0;
  const __m128i low = _mm_set1_epi16(0xFF);
  for (; step == 2 && i + 16 <= count; i += 16) {
    const __m128i first = _mm_and_si128(Load(samples + 2 * i), low);
    const __m128i second = _mm_and_si128(Load(samples + 2 * i + 16), low);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(keys + i), _mm_packus_epi16(first, second));
  }
  Reference().keyRow(samples + i * step, step, count - i, keys + i);
}

// The sums of each lane's two bytes over both rows, for 8 output pixels.
__m128i PairSums(const std::uint8_t* above, const std::uint8_t* below) {
  const __m128i low = _mm_set1_epi16(0xFF);
  const __m128i a = Load(above), b = Load(below);
  return _mm_add_epi16(_mm_add_epi16(_mm_and_si128(a, low), _mm_srli_epi16(a, 8)),
                       _mm_add_epi16(_mm_and_si128(b, low), _mm_srli_epi16(b, 8)));
}

void HalveRow(const std::uint8_t* above, const std::uint8_t* below, std::int32_t count,
              std::uint8_t* half) {
  const __m128i two = _mm_set1_epi16(2);
  std::int32_t i = 0;
  for (; i + 16 <= count; i += 16) {
    const __m128i first = _mm_srli_epi16(_mm_add_epi16(PairSums(above + 2 * i, below + 2 * i), two), 2);
    const __m128i second =
        _mm_srli_epi16(_mm_add_epi16(PairSums(above + 2 * i + 16, below + 2 * i + 16), two), 2);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(half + i), _mm_packus_epi16(first, second));
  }
  Reference().halveRow(above + 2 * i, below + 2 * i, count - i, half + i);
}

std::uint32_t BlockSad(const std::uint8_t* a, std::int32_t aStride, const std::uint8_t* b,
                       std::int32_t bStride, std::int32_t width, std::int32_t rows) {
  const std::int32_t wide = width & ~15, narrow = width & 8;
  __m128i sums = _mm_setzero_si128();
  for (std::int32_t r = 0; r < rows; ++r) {
    const std::uint8_t* ar = a + static_cast<std::ptrdiff_t>(r) * aStride;
    const std::uint8_t* br = b + static_cast<std::ptrdiff_t>(r) * bStride;
    for (std::int32_t i = 0; i < wide; i += 16)
      sums = _mm_add_epi32(sums, _mm_sad_epu8(Load(ar + i), Load(br + i)));
    if (narrow != 0) sums = _mm_add_epi32(sums, _mm_sad_epu8(Load8(ar + wide), Load8(br + wide)));
  }
  std::uint32_t total = static_cast<std::uint32_t>(_mm_cvtsi128_si32(sums)) +
                        static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_srli_si128(sums, 8)));
  const std::int32_t done = wide + narrow;
  if (done < width) total += Reference().blockSad(a + done, aStride, b + done, bStride, width - done, rows);
  return total;
}

// Squares of the differences of 8 pixels, summed in pairs into 32-bit lanes.
__m128i Squares(__m128i a, __m128i b) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i d = _mm_sub_epi16(_mm_unpacklo_epi8(a, zero), _mm_unpacklo_epi8(b, zero));
  return _mm_madd_epi16(d, d);
}

std::uint32_t BlockSsd(const std::uint8_t* a, std::int32_t aStride, const std::uint8_t* b,
                       std::int32_t bStride, std::int32_t width, std::int32_t rows) {
  const std::int32_t wide = width & ~15, narrow = width & 8;
  __m128i sums = _mm_setzero_si128();
  for (std::int32_t r = 0; r < rows; ++r) {
    const std::uint8_t* ar = a + static_cast<std::ptrdiff_t>(r) * aStride;
    const std::uint8_t* br = b + static_cast<std::ptrdiff_t>(r) * bStride;
    for (std::int32_t i = 0; i < wide; i += 16) {
      const __m128i av = Load(ar + i), bv = Load(br + i);
      sums = _mm_add_epi32(sums, _mm_add_epi32(Squares(av, bv),
                                               Squares(_mm_srli_si128(av, 8), _mm_srli_si128(bv, 8))));
    }
    if (narrow != 0) sums = _mm_add_epi32(sums, Squares(Load8(ar + wide), Load8(br + wide)));
  }
  alignas(16) std::uint32_t lanes[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), sums);
  std::uint32_t total = lanes[0] + lanes[1] + lanes[2] + lanes[3];
  const std::int32_t done = wide + narrow;
  if (done < width) total += Reference().blockSsd(a + done, aStride, b + done, bStride, width - done, rows);
  return total;
}

}  // namespace

void UpgradeToSse2(MotionKernels& kernels) {
  kernels.keyRow = KeyRow;
  kernels.halveRow = HalveRow;
  kernels.blockSad = BlockSad;
  kernels.blockSsd = BlockSsd;
}

}  // namespace kestrimo
