// SSE2 twins of the blur line and column steps: one pixel is one vector of
// four floats, so every lane sees exactly the scalar reference's operations
// in its order. Columns go in blocks of four, one 16-byte run per row.
#include <emmintrin.h>

#include <cstring>

#include "imaging/BlurKernels.h"
#include "imaging/x86/Sse2Pixel.h"

namespace kestrimo {
namespace {

__m128 WidenPixel(const std::uint32_t* pixel) {
  std::int32_t value;
  std::memcpy(&value, pixel, 4);
  const __m128i zero = _mm_setzero_si128();
  const __m128i words = _mm_unpacklo_epi8(_mm_cvtsi32_si128(value), zero);
  return _mm_cvtepi32_ps(_mm_unpacklo_epi16(words, zero));
}

void FillLine(float* line, std::uint32_t* first, std::ptrdiff_t stride, std::int32_t count) {
  std::int32_t i = 0;
  if (stride == 1) {
    const __m128i zero = _mm_setzero_si128();
    for (; i + 4 <= count; i += 4) {
      const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + i));
      const __m128i low = _mm_unpacklo_epi8(four, zero);
      const __m128i high = _mm_unpackhi_epi8(four, zero);
      _mm_store_ps(line + 4 * i, _mm_cvtepi32_ps(_mm_unpacklo_epi16(low, zero)));
      _mm_store_ps(line + 4 * i + 4, _mm_cvtepi32_ps(_mm_unpackhi_epi16(low, zero)));
      _mm_store_ps(line + 4 * i + 8, _mm_cvtepi32_ps(_mm_unpacklo_epi16(high, zero)));
      _mm_store_ps(line + 4 * i + 12, _mm_cvtepi32_ps(_mm_unpackhi_epi16(high, zero)));
    }
  }
  for (; i < count; ++i) _mm_store_ps(line + 4 * i, WidenPixel(PixelAt(first, stride, i)));
}

// Four neighbouring entries at once (independent sums, each in scalar
// order), rounded and packed to four pixels.
__m128i ConvolveFour(const float* b, std::ptrdiff_t step, const float* k, std::int32_t radius) {
  const __m128 k0 = _mm_load_ps(k);
  __m128 a0 = _mm_mul_ps(k0, _mm_load_ps(b));
  __m128 a1 = _mm_mul_ps(k0, _mm_load_ps(b + 4));
  __m128 a2 = _mm_mul_ps(k0, _mm_load_ps(b + 8));
  __m128 a3 = _mm_mul_ps(k0, _mm_load_ps(b + 12));
  for (std::int32_t j = 1; j <= radius; ++j) {
    const __m128 kj = _mm_load_ps(k + 4 * j);
    const float* up = b + step * j;
    const float* down = b - step * j;
    a0 = _mm_add_ps(a0, _mm_mul_ps(kj, _mm_add_ps(_mm_load_ps(up), _mm_load_ps(down))));
    a1 = _mm_add_ps(a1, _mm_mul_ps(kj, _mm_add_ps(_mm_load_ps(up + 4), _mm_load_ps(down + 4))));
    a2 = _mm_add_ps(a2, _mm_mul_ps(kj, _mm_add_ps(_mm_load_ps(up + 8), _mm_load_ps(down + 8))));
    a3 = _mm_add_ps(a3, _mm_mul_ps(kj, _mm_add_ps(_mm_load_ps(up + 12), _mm_load_ps(down + 12))));
  }
  const __m128i low = _mm_packs_epi32(_mm_cvtps_epi32(a0), _mm_cvtps_epi32(a1));
  const __m128i high = _mm_packs_epi32(_mm_cvtps_epi32(a2), _mm_cvtps_epi32(a3));
  return _mm_packus_epi16(low, high);
}

void StoreFour(std::uint32_t* first, std::ptrdiff_t stride, std::int32_t i, __m128i bytes) {
  if (stride == 1) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(first + i), bytes);
    return;
  }
  std::uint32_t four[4];
  _mm_storeu_si128(reinterpret_cast<__m128i*>(four), bytes);
  for (int p = 0; p < 4; ++p) std::memcpy(PixelAt(first, stride, i + p), &four[p], 4);
}

void BlurLineSse2(std::uint32_t* first, std::ptrdiff_t stride, std::int32_t count,
                  const BlurEntry* kernel, std::int32_t radius, BlurEntry* buffer) {
  if (first == nullptr || kernel == nullptr || buffer == nullptr || count <= 0 || radius < 0)
    return;
  float* line = buffer[0].lane;
  const float* k = kernel[0].lane;
  FillLine(line + 4 * radius, first, stride, count);
  ReplicateLineEnds(line, count, radius);
  const float* centre = line + 4 * radius;
  std::int32_t i = 0;
  for (; i + 4 <= count; i += 4)
    StoreFour(first, stride, i, ConvolveFour(centre + 4 * i, 4, k, radius));
  for (; i < count; ++i)
    StoreConvolvedPixel(PixelAt(first, stride, i), ConvolvePixel(centre + 4 * i, 4, k, radius));
}

// ---- Blocks of up to four neighbouring columns, row by row. Buffer row r
// holds the block's w pixels of row r - radius as w entries.

void FillBlock(float* rows, std::uint32_t* top, std::ptrdiff_t down, std::int32_t w,
               std::int32_t count) {
  const __m128i zero = _mm_setzero_si128();
  for (std::int32_t i = 0; i < count; ++i, rows += 4 * w) {
    const std::uint32_t* row = top + down * i;
    if (w == 4) {
      const __m128i four = _mm_loadu_si128(reinterpret_cast<const __m128i*>(row));
      const __m128i low = _mm_unpacklo_epi8(four, zero);
      const __m128i high = _mm_unpackhi_epi8(four, zero);
      _mm_store_ps(rows, _mm_cvtepi32_ps(_mm_unpacklo_epi16(low, zero)));
      _mm_store_ps(rows + 4, _mm_cvtepi32_ps(_mm_unpackhi_epi16(low, zero)));
      _mm_store_ps(rows + 8, _mm_cvtepi32_ps(_mm_unpacklo_epi16(high, zero)));
      _mm_store_ps(rows + 12, _mm_cvtepi32_ps(_mm_unpackhi_epi16(high, zero)));
      continue;
    }
    for (std::int32_t c = 0; c < w; ++c) _mm_store_ps(rows + 4 * c, WidenPixel(row + c));
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
    if (w == 4) {
      _mm_storeu_si128(reinterpret_cast<__m128i*>(row), ConvolveFour(b, step, k, radius));
      continue;
    }
    for (std::int32_t c = 0; c < w; ++c)
      StoreConvolvedPixel(row + c, ConvolvePixel(b + 4 * c, step, k, radius));
  }
}

void BlurColumnsSse2(std::uint32_t* top, std::ptrdiff_t down, std::int32_t width,
                     std::int32_t count, const BlurEntry* kernel, std::int32_t radius,
                     BlurEntry* buffer, std::int32_t capacity) {
  if (top == nullptr || kernel == nullptr || buffer == nullptr || width <= 0 || count <= 0 ||
      radius < 0)
    return;
  const std::int32_t block = BlurColumnBlockWidth(4, count, radius, capacity);
  for (std::int32_t x = 0; block > 0 && x < width; x += block) {
    const std::int32_t w = block < width - x ? block : width - x;
    BlurBlock(top + x, down, w, count, kernel[0].lane, radius, buffer[0].lane);
  }
}

}  // namespace

void UpgradeToSse2(BlurKernels& kernels) { kernels = {&BlurLineSse2, &BlurColumnsSse2}; }

}  // namespace kestrimo
