// SSE2 twins of the history passes.
//
// The mix takes 8 pixels a step: each pixel's count of neighbours holding a
// value is 9 less the sum of nine byte compares with kNoHistory (three
// rows, three offsets), widened to the pixel's four 16-bit lanes; a byte's
// mix h * n + w * (9 - n) + 4 is at most 2299, and its ninth is
// (x * 7282) >> 16 exactly for x < 2300. A pixel with n = 0 comes out as
// it was, as in the reference.
//
// The carry works out the source columns of 4 pixels at once in 32-bit
// lanes; a pixel whose four neighbours all lie in the rows and hold a value
// is mixed in 16-bit lanes, across first (a * left + b * right is at most
// 65280) and then down in 32-bit lanes, which gives the reference's sum of
// the four products. A pixel none of whose neighbours (all in the rows)
// holds a value gets none; any other pixel, and the tail, go through the
// reference.
#include <emmintrin.h>

#include "imaging/HistoryKernels.h"

namespace kestrimo {
namespace {

HistoryKernels Reference() {
  HistoryKernels scalar{};
  FillScalar(scalar);
  return scalar;
}

__m128i Load8(const std::uint8_t* p) {
  return _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
}
__m128i Load(const std::uint32_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }

// Each byte mixed toward the history by its pixel's count, 4 pixels.
__m128i MixFour(__m128i history, __m128i work, __m128i counts) {
  const __m128i zero = _mm_setzero_si128(), nine = _mm_set1_epi16(9);
  const __m128i four = _mm_set1_epi16(4), ninth = _mm_set1_epi16(7282);
  const __m128i pairs = _mm_unpacklo_epi16(counts, counts);  // n0 n0 n1 n1 n2 n2 n3 n3
  const __m128i n[2] = {_mm_unpacklo_epi32(pairs, pairs), _mm_unpackhi_epi32(pairs, pairs)};
  __m128i out[2];
  for (int half = 0; half < 2; ++half) {
    const __m128i h = half == 0 ? _mm_unpacklo_epi8(history, zero) : _mm_unpackhi_epi8(history, zero);
    const __m128i w = half == 0 ? _mm_unpacklo_epi8(work, zero) : _mm_unpackhi_epi8(work, zero);
    const __m128i sum = _mm_add_epi16(
        _mm_add_epi16(_mm_mullo_epi16(h, n[half]), _mm_mullo_epi16(w, _mm_sub_epi16(nine, n[half]))),
        four);
    out[half] = _mm_mulhi_epu16(sum, ninth);
  }
  return _mm_packus_epi16(out[0], out[1]);
}

void MixRow(const std::uint32_t* history, const std::uint8_t* const ages[3], std::int32_t count,
            std::uint32_t* work) {
  const __m128i none = _mm_set1_epi8(static_cast<char>(kNoHistory));
  const __m128i nine = _mm_set1_epi8(9), zero = _mm_setzero_si128();
  std::int32_t i = 0;
  for (; i + 8 <= count; i += 8) {
    __m128i counts = nine;
    for (int r = 0; r < 3; ++r)
      for (int j = -1; j <= 1; ++j)
        counts = _mm_add_epi8(counts, _mm_cmpeq_epi8(Load8(ages[r] + i + j), none));
    counts = _mm_andnot_si128(_mm_cmpeq_epi8(Load8(ages[1] + i), none), counts);
    const __m128i wide = _mm_unpacklo_epi8(counts, zero);  // 8 counts in 16-bit lanes
    for (int q = 0; q < 2; ++q) {
      __m128i* out = reinterpret_cast<__m128i*>(work + i + 4 * q);
      const __m128i lanes = q == 0 ? wide : _mm_srli_si128(wide, 8);
      _mm_storeu_si128(out, MixFour(Load(history + i + 4 * q), _mm_loadu_si128(out), lanes));
    }
  }
  const std::uint8_t* const rest[3] = {ages[0] + i, ages[1] + i, ages[2] + i};
  Reference().mixRow(history + i, rest, count - i, work + i);
}

// The reference's weighted mean of a pixel whose four neighbours all count:
// a0, a1 the row above at x and x + 1, b0, b1 the row below.
std::uint32_t Bilinear(std::uint32_t a0, std::uint32_t a1, std::uint32_t b0, std::uint32_t b1,
                       std::int32_t right, std::int32_t down) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i above = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(a0)), zero);
  const __m128i aboveNext = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(a1)), zero);
  const __m128i below = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(b0)), zero);
  const __m128i belowNext = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(b1)), zero);
  const __m128i l = _mm_set1_epi16(static_cast<short>(256 - right));
  const __m128i r = _mm_set1_epi16(static_cast<short>(right));
  // Across, both rows in one register: above in the low lanes, below high.
  const __m128i left = _mm_unpacklo_epi64(above, below);
  const __m128i next = _mm_unpacklo_epi64(aboveNext, belowNext);
  const __m128i across = _mm_add_epi16(_mm_mullo_epi16(left, l), _mm_mullo_epi16(next, r));
  // Down: 32-bit products of the 16-bit sums with the rows' weights.
  const __m128i weights = _mm_unpacklo_epi64(_mm_set1_epi16(static_cast<short>(256 - down)),
                                             _mm_set1_epi16(static_cast<short>(down)));
  const __m128i low = _mm_mullo_epi16(across, weights), high = _mm_mulhi_epu16(across, weights);
  const __m128i products0 = _mm_unpacklo_epi16(low, high);  // the row above's 4 bytes
  const __m128i products1 = _mm_unpackhi_epi16(low, high);  // the row below's
  const __m128i sums = _mm_add_epi32(_mm_add_epi32(products0, products1), _mm_set1_epi32(32768));
  const __m128i bytes = _mm_srli_epi32(sums, 16);
  const __m128i words = _mm_packs_epi32(bytes, zero);
  return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(words, zero)));
}

void CarryRow(const HistorySource& s, const std::uint8_t* hidden, std::int32_t count,
              std::int32_t maxAge, std::uint32_t* values, std::uint8_t* ages) {
  const HistoryKernels reference = Reference();
  const bool rows = s.above != nullptr && s.below != nullptr;
  const __m128i step4 = _mm_set1_epi32(4 * s.step), origin = _mm_set1_epi32(s.origin);
  __m128i t = _mm_add_epi32(_mm_set1_epi32(s.start),
                            _mm_set_epi32(3 * s.step, 2 * s.step, s.step, 0));
  std::int32_t i = 0;
  for (; rows && i + 4 <= count; i += 4, t = _mm_add_epi32(t, step4)) {
    std::int32_t position[4];
    _mm_storeu_si128(reinterpret_cast<__m128i*>(position),
                    _mm_add_epi32(origin, _mm_srai_epi32(t, 9)));
    for (int k = 0; k < 4; ++k) {
      if (hidden[i + k] == 0) continue;
      const std::int32_t x = position[k] >> 8, right = position[k] & 255;
      const bool inside = x >= 0 && x + 1 < s.width;
      const std::uint8_t* above = s.aboveAges + (inside ? x : 0);
      const std::uint8_t* below = s.belowAges + (inside ? x : 0);
      const int none = !inside ? -1
                               : (above[0] == kNoHistory) + (above[1] == kNoHistory) +
                                     (below[0] == kNoHistory) + (below[1] == kNoHistory);
      if (none == 4) {  // no weight at all: nothing carried
        ages[i + k] = kNoHistory;
        continue;
      }
      if (none != 0) {
        HistorySource one = s;
        one.start = s.start + (i + k) * s.step;
        reference.carryRow(one, hidden + i + k, 1, maxAge, values + i + k, ages + i + k);
        continue;
      }
      // The neighbours that carry no weight do not count toward the age.
      std::int32_t oldest = above[0];
      if (right != 0 && above[1] > oldest) oldest = above[1];
      if (s.down != 0 && below[0] > oldest) oldest = below[0];
      if (right != 0 && s.down != 0 && below[1] > oldest) oldest = below[1];
      if (oldest >= maxAge) {
        ages[i + k] = kNoHistory;
        continue;
      }
      values[i + k] = Bilinear(s.above[x], s.above[x + 1], s.below[x], s.below[x + 1], right, s.down);
      ages[i + k] = static_cast<std::uint8_t>(oldest + 1);
    }
  }
  HistorySource rest = s;
  rest.start = s.start + i * s.step;
  reference.carryRow(rest, hidden + i, count - i, maxAge, values + i, ages + i);
}

}  // namespace

void UpgradeToSse2(HistoryKernels& kernels) {
  kernels.mixRow = MixRow;
  kernels.carryRow = CarryRow;
}

}  // namespace kestrimo
