// AVX2 twins of the blur line and column steps: two pixels per 256-bit
// vector (one per 128-bit half), so every lane still sees exactly the scalar
// reference's operations in its order. Columns go in blocks of eight, one
// 32-byte run per row. Kept free of large live sets: the i686 build must
// not spill 256-bit values to its 4-byte-aligned stack.
#include <immintrin.h>

#include <cstring>

#include "imaging/BlurKernels.h"
#include "imaging/x86/Sse2Pixel.h"

namespace kestrimo {
namespace {

__m128 WidenPixel(const std::uint32_t* pixel) {
  std::int32_t value;
  std::memcpy(&value, pixel, 4);
  return _mm_cvtepi32_ps(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(value)));
}

// Line entries are 16-byte aligned only: every 256-bit access is unaligned.
void FillLine(float* line, std::uint32_t* first, std::ptrdiff_t stride, std::int32_t count) {
  std::int32_t i = 0;
  if (stride == 1) {
    for (; i + 2 <= count; i += 2) {
      const __m128i two = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(first + i));
      _mm256_storeu_ps(line + 4 * i, _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(two)));
    }
  }
  for (; i < count; ++i) _mm_store_ps(line + 4 * i, WidenPixel(PixelAt(first, stride, i)));
}

__m256 KernelPair(const float* k, std::int32_t j) {
  return _mm256_broadcast_ps(reinterpret_cast<const __m128*>(k + 4 * j));
}

// acc = k0 * b[0]; acc = acc + kj * (b[j] + b[-j]) for two neighbouring
// entries, the entries b[j] being `step` floats apart (4 along a line, 4 w
// in a block of w columns).
__m256 ConvolveTwo(const float* b, std::ptrdiff_t step, const float* k, std::int32_t radius) {
  __m256 acc = _mm256_mul_ps(KernelPair(k, 0), _mm256_loadu_ps(b));
  for (std::int32_t j = 1; j <= radius; ++j) {
    const __m256 pair =
        _mm256_add_ps(_mm256_loadu_ps(b + step * j), _mm256_loadu_ps(b - step * j));
    acc = _mm256_add_ps(acc, _mm256_mul_ps(KernelPair(k, j), pair));
  }
  return acc;
}

// The two pixels of a pair, in the low eight bytes.
__m128i PackTwo(__m256 acc) {
  const __m256i ints = _mm256_cvtps_epi32(acc);
  const __m128i words = _mm_packs_epi32(_mm256_castsi256_si128(ints),
                                        _mm256_extracti128_si256(ints, 1));
  return _mm_packus_epi16(words, words);
}

void StoreTwo(std::uint32_t* first, std::ptrdiff_t stride, std::int32_t i, __m256 acc) {
  const __m128i bytes = PackTwo(acc);
  if (stride == 1) {
    _mm_storel_epi64(reinterpret_cast<__m128i*>(first + i), bytes);
    return;
  }
  const std::int32_t p0 = _mm_cvtsi128_si32(bytes);
  const std::int32_t p1 = _mm_cvtsi128_si32(_mm_srli_si128(bytes, 4));
  std::memcpy(PixelAt(first, stride, i), &p0, 4);
  std::memcpy(PixelAt(first, stride, i + 1), &p1, 4);
}

// Eight neighbouring entries at once: four independent pairs, each in scalar
// order, rounded and packed to eight pixels. a0 holds entries 0 and 1 (one
// per half), a1 2 and 3, and so on.
__m256i ConvolveEight(const float* b, std::ptrdiff_t step, const float* k, std::int32_t radius) {
  const __m256 k0 = KernelPair(k, 0);
  __m256 a0 = _mm256_mul_ps(k0, _mm256_loadu_ps(b));
  __m256 a1 = _mm256_mul_ps(k0, _mm256_loadu_ps(b + 8));
  __m256 a2 = _mm256_mul_ps(k0, _mm256_loadu_ps(b + 16));
  __m256 a3 = _mm256_mul_ps(k0, _mm256_loadu_ps(b + 24));
  for (std::int32_t j = 1; j <= radius; ++j) {
    const __m256 kj = KernelPair(k, j);
    const float* up = b + step * j;
    const float* down = b - step * j;
    a0 = _mm256_add_ps(a0, _mm256_mul_ps(kj, _mm256_add_ps(_mm256_loadu_ps(up),
                                                           _mm256_loadu_ps(down))));
    a1 = _mm256_add_ps(a1, _mm256_mul_ps(kj, _mm256_add_ps(_mm256_loadu_ps(up + 8),
                                                           _mm256_loadu_ps(down + 8))));
    a2 = _mm256_add_ps(a2, _mm256_mul_ps(kj, _mm256_add_ps(_mm256_loadu_ps(up + 16),
                                                           _mm256_loadu_ps(down + 16))));
    a3 = _mm256_add_ps(a3, _mm256_mul_ps(kj, _mm256_add_ps(_mm256_loadu_ps(up + 24),
                                                           _mm256_loadu_ps(down + 24))));
  }
  // Packing works within 128-bit halves: the low halves end up holding
  // pixels 0, 2, 4, 6 and the high ones 1, 3, 5, 7, put back in order.
  const __m256i w01 = _mm256_packs_epi32(_mm256_cvtps_epi32(a0), _mm256_cvtps_epi32(a1));
  const __m256i w23 = _mm256_packs_epi32(_mm256_cvtps_epi32(a2), _mm256_cvtps_epi32(a3));
  return _mm256_permutevar8x32_epi32(_mm256_packus_epi16(w01, w23),
                                     _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7));
}

void StoreEight(std::uint32_t* first, std::ptrdiff_t stride, std::int32_t i, __m256i bytes) {
  if (stride == 1) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(first + i), bytes);
    return;
  }
  std::uint32_t eight[8];
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(eight), bytes);
  for (int p = 0; p < 8; ++p) std::memcpy(PixelAt(first, stride, i + p), &eight[p], 4);
}

void BlurLineAvx2(std::uint32_t* first, std::ptrdiff_t stride, std::int32_t count,
                  const BlurEntry* kernel, std::int32_t radius, BlurEntry* buffer) {
  if (first == nullptr || kernel == nullptr || buffer == nullptr || count <= 0 || radius < 0)
    return;
  float* line = buffer[0].lane;
  const float* k = kernel[0].lane;
  FillLine(line + 4 * radius, first, stride, count);
  ReplicateLineEnds(line, count, radius);
  const float* centre = line + 4 * radius;
  std::int32_t i = 0;
  for (; i + 8 <= count; i += 8)
    StoreEight(first, stride, i, ConvolveEight(centre + 4 * i, 4, k, radius));
  for (; i + 2 <= count; i += 2)
    StoreTwo(first, stride, i, ConvolveTwo(centre + 4 * i, 4, k, radius));
  if (i < count)
    StoreConvolvedPixel(PixelAt(first, stride, i), ConvolvePixel(centre + 4 * i, 4, k, radius));
}

// ---- Blocks of up to eight neighbouring columns, row by row. Buffer row r
// holds the block's w pixels of row r - radius as w entries.

// The two pixels in the low eight bytes, widened to two entries.
__m256 WidenTwo(__m128i bytes) { return _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(bytes)); }

void FillBlock(float* rows, std::uint32_t* top, std::ptrdiff_t down, std::int32_t w,
               std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i, rows += 4 * w) {
    const std::uint32_t* row = top + down * i;
    std::int32_t c = 0;
    if (w == 8) {
      const __m256i eight = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row));
      const __m128i low = _mm256_castsi256_si128(eight);
      const __m128i high = _mm256_extracti128_si256(eight, 1);
      _mm256_storeu_ps(rows, WidenTwo(low));
      _mm256_storeu_ps(rows + 8, WidenTwo(_mm_srli_si128(low, 8)));
      _mm256_storeu_ps(rows + 16, WidenTwo(high));
      _mm256_storeu_ps(rows + 24, WidenTwo(_mm_srli_si128(high, 8)));
      continue;
    }
    for (; c + 2 <= w; c += 2)
      _mm256_storeu_ps(rows + 4 * c,
                       WidenTwo(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(row + c))));
    if (c < w) _mm_store_ps(rows + 4 * c, WidenPixel(row + c));
  }
}

void BlurBlock(std::uint32_t* top, std::ptrdiff_t down, std::int32_t w, std::int32_t count,
               const float* k, std::int32_t radius, float* buffer) {
  FillBlock(buffer + 4 * w * radius, top, down, w, count);
  ReplicateBlockEnds(buffer, w, count, radius);
  const std::ptrdiff_t step = 4 * w;
  const float* b = buffer + step * radius;
  for (std::int32_t i = 0; i < count; ++i, b += step) {
    std::uint32_t* row = top + down * i;
    if (w == 8) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(row), ConvolveEight(b, step, k, radius));
      continue;
    }
    std::int32_t c = 0;
    for (; c + 2 <= w; c += 2)
      _mm_storel_epi64(reinterpret_cast<__m128i*>(row + c),
                       PackTwo(ConvolveTwo(b + 4 * c, step, k, radius)));
    if (c < w) StoreConvolvedPixel(row + c, ConvolvePixel(b + 4 * c, step, k, radius));
  }
}

void BlurColumnsAvx2(std::uint32_t* top, std::ptrdiff_t down, std::int32_t width,
                     std::int32_t count, const BlurEntry* kernel, std::int32_t radius,
                     BlurEntry* buffer, std::int32_t capacity) {
  if (top == nullptr || kernel == nullptr || buffer == nullptr || width <= 0 || count <= 0 ||
      radius < 0)
    return;
  const std::int32_t block = BlurColumnBlockWidth(8, count, radius, capacity);
  for (std::int32_t x = 0; block > 0 && x < width; x += block) {
    const std::int32_t w = block < width - x ? block : width - x;
    BlurBlock(top + x, down, w, count, kernel[0].lane, radius, buffer[0].lane);
  }
}

}  // namespace

void UpgradeToAvx2(BlurKernels& kernels) { kernels = {&BlurLineAvx2, &BlurColumnsAvx2}; }

}  // namespace kestrimo
