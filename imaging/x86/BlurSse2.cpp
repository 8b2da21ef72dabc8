// SSE2 twins of the blur line and column steps: one pixel is one vector of
// four floats, so every lane sees exactly the scalar reference's operations
// in its order. Columns go in blocks of four, one 16-byte run per row.
#include <emmintrin.h>

#include <cstring>

#include "imaging/BlurKernels.h"

namespace kestrimo {
namespace {

std::uint32_t* PixelAt(std::uint32_t* first, std::ptrdiff_t stride, std::int32_t i) {
  return first + stride * i;
}

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

void ReplicateEnds(float* buffer, std::int32_t count, std::int32_t radius) {
  const __m128 head = _mm_load_ps(buffer + 4 * radius);
  const __m128 tail = _mm_load_ps(buffer + 4 * (radius + count - 1));
  for (std::int32_t j = 0; j < radius; ++j) {
    _mm_store_ps(buffer + 4 * j, head);
    _mm_store_ps(buffer + 4 * (radius + count + j), tail);
  }
}

// acc = k0 * b[0]; acc = acc + kj * (b[j] + b[-j]) for j = 1..radius, the
// entries b[j] being `step` floats apart (4 along a line, 4 w in a block).
__m128 Convolve(const float* b, std::ptrdiff_t step, const float* k, std::int32_t radius) {
  __m128 acc = _mm_mul_ps(_mm_load_ps(k), _mm_load_ps(b));
  for (std::int32_t j = 1; j <= radius; ++j) {
    const __m128 pair = _mm_add_ps(_mm_load_ps(b + step * j), _mm_load_ps(b - step * j));
    acc = _mm_add_ps(acc, _mm_mul_ps(_mm_load_ps(k + 4 * j), pair));
  }
  return acc;
}

// Rounds to nearest-even (default MXCSR), saturates to int16, then to 0..255.
void StorePixel(std::uint32_t* pixel, __m128 acc) {
  const __m128i words = _mm_packs_epi32(_mm_cvtps_epi32(acc), _mm_setzero_si128());
  const std::int32_t value = _mm_cvtsi128_si32(_mm_packus_epi16(words, words));
  std::memcpy(pixel, &value, 4);
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
  ReplicateEnds(line, count, radius);
  const float* centre = line + 4 * radius;
  std::int32_t i = 0;
  for (; i + 4 <= count; i += 4)
    StoreFour(first, stride, i, ConvolveFour(centre + 4 * i, 4, k, radius));
  for (; i < count; ++i)
    StorePixel(PixelAt(first, stride, i), Convolve(centre + 4 * i, 4, k, radius));
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

void ReplicateBlockEnds(float* buffer, std::int32_t w, std::int32_t count, std::int32_t radius) {
  const float* head = buffer + 4 * w * radius;
  const float* tail = buffer + 4 * w * (radius + count - 1);
  for (std::int32_t j = 0; j < radius; ++j)
    for (std::int32_t e = 0; e < 4 * w; e += 4) {
      _mm_store_ps(buffer + 4 * w * j + e, _mm_load_ps(head + e));
      _mm_store_ps(buffer + 4 * w * (radius + count + j) + e, _mm_load_ps(tail + e));
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
    for (std::int32_t c = 0; c < w; ++c) StorePixel(row + c, Convolve(b + 4 * c, step, k, radius));
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

const BlurKernels& Sse2BlurKernels() {
  static const BlurKernels table{&BlurLineSse2, &BlurColumnsSse2};
  return table;
}

}  // namespace kestrimo
