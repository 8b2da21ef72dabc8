// SSE2 twins of the scaling row routines: four pixels per step, each byte
// widened to 16 bits; (p1 - p0) * 16 times the weight through the high half of
// a signed 16-bit multiply is floor((p1 - p0) * w / 4096), as in the reference.
#include <emmintrin.h>

#include <cstring>

#include "imaging/ScalingKernels.h"

namespace kestrimo {
namespace {

std::int32_t LoadPixel(const std::uint8_t* at) {
  std::int32_t pixel;
  std::memcpy(&pixel, at, sizeof pixel);
  return pixel;
}

__m128i Select(__m128i mask, __m128i whenSet, __m128i otherwise) {
  return _mm_or_si128(_mm_and_si128(mask, whenSet), _mm_andnot_si128(mask, otherwise));
}

// Two pixels widened to 16 bits, blended with their weight lanes.
__m128i InterpolateWide(__m128i p0, __m128i p1, __m128i weights) {
  const __m128i difference = _mm_slli_epi16(_mm_sub_epi16(p1, p0), 4);
  return _mm_add_epi16(p0, _mm_mulhi_epi16(difference, weights));
}

// Four pixels; weightsLow serves pixels 0 and 1, weightsHigh pixels 2 and 3.
__m128i Interpolate4(__m128i p0, __m128i p1, __m128i weightsLow, __m128i weightsHigh) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i low = InterpolateWide(_mm_unpacklo_epi8(p0, zero), _mm_unpacklo_epi8(p1, zero),
                                      weightsLow);
  const __m128i high = InterpolateWide(_mm_unpackhi_epi8(p0, zero),
                                       _mm_unpackhi_epi8(p1, zero), weightsHigh);
  return _mm_packus_epi16(low, high);
}

// Lanes (32-bit) where exactly one of the pair is a key pixel.
__m128i LoneKeyPixels(__m128i p0, __m128i p1, __m128i key) {
  const __m128i colourBits = _mm_set1_epi32(static_cast<int>(kKeyColourBits));
  const __m128i key0 = _mm_cmpeq_epi32(_mm_and_si128(p0, colourBits), key);
  const __m128i key1 = _mm_cmpeq_epi32(_mm_and_si128(p1, colourBits), key);
  return _mm_xor_si128(key0, key1);
}

// Replaces both pixels of each lone-key pair by the chosen one (p1 where
// takeSecond is set, else p0).
void ProtectKey(__m128i& p0, __m128i& p1, __m128i key, __m128i takeSecond) {
  const __m128i lone = LoneKeyPixels(p0, p1, key);
  const __m128i chosen = Select(takeSecond, p1, p0);
  p0 = Select(lone, chosen, p0);
  p1 = Select(lone, chosen, p1);
}

void VerticalStepSse2(const std::uint8_t* sourceRow, std::ptrdiff_t next, std::uint16_t weight,
                      std::int32_t width, std::uint32_t* rowBuffer, KeyProtection protection) {
  if (width <= 0) return;
  if (weight == 0) {  // every pair (protected or not) yields its first pixel
    std::memcpy(rowBuffer, sourceRow, 4 * static_cast<std::size_t>(width));
    return;
  }
  const __m128i weights = _mm_set1_epi16(static_cast<short>(weight));
  const __m128i key = _mm_set1_epi32(static_cast<int>(protection.key));
  const __m128i takeSecond = weight > kKeyChoiceThreshold ? _mm_set1_epi32(-1)
                                                          : _mm_setzero_si128();
  std::int32_t x = 0;
  for (; x + 4 <= width; x += 4) {
    const std::uint8_t* first = sourceRow + 4 * static_cast<std::ptrdiff_t>(x);
    __m128i p0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first));
    __m128i p1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(first + next));
    if (protection.enabled) ProtectKey(p0, p1, key, takeSecond);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(rowBuffer + x),
                     Interpolate4(p0, p1, weights, weights));
  }
  for (; x < width; ++x) {
    const std::uint8_t* first = sourceRow + 4 * static_cast<std::ptrdiff_t>(x);
    rowBuffer[x] = InterpolatePixel(static_cast<std::uint32_t>(LoadPixel(first)),
                                    static_cast<std::uint32_t>(LoadPixel(first + next)), weight,
                                    protection);
  }
}

// The weight lanes of two consecutive entries: four of each.
__m128i EntryWeights(const ScaleTableEntry* pair) {
  const __m128i first = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pair[0].weight));
  const __m128i second = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(pair[1].weight));
  return _mm_unpacklo_epi64(first, second);
}

void HorizontalStepSse2(const std::uint32_t* rowBuffer, const ScaleTableEntry* table,
                        std::int32_t count, std::uint8_t* destinationRow,
                        KeyProtection protection) {
  const auto* read = reinterpret_cast<const std::uint8_t*>(rowBuffer);
  const __m128i key = _mm_set1_epi32(static_cast<int>(protection.key));
  const __m128i threshold = _mm_set1_epi16(kKeyChoiceThreshold);
  std::int32_t k = 0;
  for (; k + 4 <= count; k += 4) {
    std::int32_t first[4];
    std::int32_t second[4];
    for (int i = 0; i < 4; ++i) {
      read += table[k + i].step;
      first[i] = LoadPixel(read);
      read += table[k + i].next;
      second[i] = LoadPixel(read);
    }
    __m128i p0 = _mm_setr_epi32(first[0], first[1], first[2], first[3]);
    __m128i p1 = _mm_setr_epi32(second[0], second[1], second[2], second[3]);
    const __m128i weightsLow = EntryWeights(table + k);
    const __m128i weightsHigh = EntryWeights(table + k + 2);
    if (protection.enabled) {
      // Per-lane "weight > 128", narrowed from 16-bit lanes to one mask per pixel.
      const __m128i takeSecond = _mm_packs_epi16(_mm_cmpgt_epi16(weightsLow, threshold),
                                                 _mm_cmpgt_epi16(weightsHigh, threshold));
      ProtectKey(p0, p1, key, takeSecond);
    }
    _mm_storeu_si128(reinterpret_cast<__m128i*>(destinationRow + 4 * static_cast<std::ptrdiff_t>(k)),
                     Interpolate4(p0, p1, weightsLow, weightsHigh));
  }
  for (; k < count; ++k) {
    read += table[k].step;
    const auto p0 = static_cast<std::uint32_t>(LoadPixel(read));
    read += table[k].next;
    const auto p1 = static_cast<std::uint32_t>(LoadPixel(read));
    const std::uint32_t out = InterpolatePixel(p0, p1, table[k].weight[0], protection);
    std::memcpy(destinationRow + 4 * static_cast<std::ptrdiff_t>(k), &out, sizeof out);
  }
}

}  // namespace

void UpgradeToSse2(ScalingKernels& kernels) {
  kernels = {VerticalStepSse2, HorizontalStepSse2};
}

}  // namespace kestrimo
