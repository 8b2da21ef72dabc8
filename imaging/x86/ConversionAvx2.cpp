// AVX2 twins of the write-backs, on the formulas of ConversionFormulas.h:
// over 4:2:2 sixteen source pixels over eight groups (32 frame bytes) per
// step, over BGR eight pixels over 24 frame bytes. Also the
// extractions that the processing chain uses (4:2:2 to Y, U, Y, V and its
// alpha form; BGR to every layout); the 4:2:2 to BGR extractions are the SSE2
// ones.
//
// Over 4:2:2, a row is seen as a run of pixel pairs, one per group. An odd start makes
// the first pair's first pixel a missing one in front of the source. Steps
// at the row's ends load and store with dword masks: a missing pixel is never
// read and comes in as zero, so its alpha is 0 and the blend leaves the frame
// bytes it feeds unchanged (D + floor(0) = D); groups past the row's end are
// neither read nor written.
#include <immintrin.h>

#include <cstdint>
#include <cstring>

#include "imaging/ConversionKernels.h"
#include "imaging/x86/ConversionFormulas.h"

namespace kestrimo {
namespace {

// Sixteen source pixels p0..p15 (two vectors) to the first and second pixels
// of groups 0..7, in frame order.
void SplitPairs(__m256i s0, __m256i s1, __m256i& even, __m256i& odd) {
  const __m256i order = _mm256_setr_epi32(0, 2, 4, 6, 1, 3, 5, 7);
  const __m256i a = _mm256_permutevar8x32_epi32(s0, order);  // p0 p2 p4 p6 | p1 p3 p5 p7
  const __m256i b = _mm256_permutevar8x32_epi32(s1, order);  // p8 .. p14 | p9 .. p15
  even = _mm256_permute2x128_si256(a, b, 0x20);
  odd = _mm256_permute2x128_si256(a, b, 0x31);
}

// The blend of a step. At full opacity a step whose alphas are all 255
// gives its source, and any step whose alphas are all 0 gives its frame
// bytes (D + floor(0) = D): both skip the arithmetic. `opaque` has 255 where
// an alpha lane is used and 0 where it is always 0.
__m256i BlendStep(__m256i s, __m256i d, __m256i alpha, __m256i p16, bool full, __m256i opaque) {
  if (_mm256_testz_si256(alpha, alpha)) return d;
  if (full && _mm256_movemask_epi8(_mm256_cmpeq_epi8(alpha, opaque)) == -1) return s;
  return BlendBytes(s, d, alpha, p16);
}

template <typename Kind>
__m256i BlendGroups(__m256i s0, __m256i s1, __m256i frame, __m256i p16, bool full) {
  __m256i even, odd, source, alpha;
  SplitPairs(s0, s1, even, odd);
  Kind::Make(even, odd, source, alpha);
  return BlendStep(source, frame, alpha, p16, full, _mm256_set1_epi32(-1));
}

const __m256i* Vec(const std::uint8_t* p) { return reinterpret_cast<const __m256i*>(p); }

// Where a write-back's blend alpha comes from: the source pixels themselves,
// or byte 3 of the pixels of a separate alpha row, moved into the source's
// alpha byte (byte 2 of Y, U, A, V; byte 3 of B, G, R, A). The masked loads
// read no pixel the mask leaves out, on either row.
struct OwnAlpha {
  static __m256i Load(const std::uint8_t* src, const std::uint8_t*) {
    return _mm256_loadu_si256(Vec(src));
  }
  static __m256i MaskLoad(const std::uint8_t* src, const std::uint8_t*, __m256i mask) {
    return _mm256_maskload_epi32(reinterpret_cast<const int*>(src), mask);
  }
};
template <std::uint32_t kSourceBits, int kShift>
struct SeparateAlpha {
  static __m256i Merge(__m256i s, __m256i a) {
    const __m256i keep = _mm256_set1_epi32(static_cast<int>(kSourceBits));
    return _mm256_or_si256(_mm256_and_si256(s, keep),
                           _mm256_andnot_si256(keep, _mm256_srli_epi32(a, kShift)));
  }
  static __m256i Load(const std::uint8_t* src, const std::uint8_t* a) {
    return Merge(_mm256_loadu_si256(Vec(src)), _mm256_loadu_si256(Vec(a)));
  }
  static __m256i MaskLoad(const std::uint8_t* src, const std::uint8_t* a, __m256i mask) {
    return Merge(_mm256_maskload_epi32(reinterpret_cast<const int*>(src), mask),
                 _mm256_maskload_epi32(reinterpret_cast<const int*>(a), mask));
  }
};
// Alpha byte 3 to byte 2 (the shift leaves byte 2 holding it, the other
// bytes are the source's); alpha byte 3 stays in byte 3.
using SeparateAlphaToByte2 = SeparateAlpha<0xFF00FFFF, 8>;
using SeparateAlphaToByte3 = SeparateAlpha<0x00FFFFFF, 0>;

template <typename Kind, typename Alpha>
void FullStep(std::uint8_t* frame, const std::uint8_t* pairs, const std::uint8_t* a, __m256i p16,
              bool full) {
  const __m256i s0 = Alpha::Load(pairs, a);
  const __m256i s1 = Alpha::Load(pairs + 32, a + 32);
  const __m256i d = _mm256_loadu_si256(Vec(frame));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(frame), BlendGroups<Kind>(s0, s1, d, p16, full));
}

// All-ones in the dwords whose index i satisfies low <= i + base < high.
__m256i RangeMask(std::int32_t base, std::int32_t low, std::int32_t high) {
  const __m256i index = _mm256_add_epi32(_mm256_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7),
                                         _mm256_set1_epi32(base));
  return _mm256_andnot_si256(_mm256_cmpgt_epi32(_mm256_set1_epi32(low), index),
                             _mm256_cmpgt_epi32(_mm256_set1_epi32(high), index));
}

// A step at a row end: pair pixels `first`..`pixels`-1 of this step's
// sixteen exist (the others are neither read nor blended), and `groups` of
// its eight groups are in the row.
template <typename Kind, typename Alpha>
void MaskedStep(std::uint8_t* frame, const std::uint8_t* pairs, const std::uint8_t* a,
                std::int32_t first, std::int32_t pixels, std::int32_t groups, __m256i p16,
                bool full) {
  const __m256i s0 = Alpha::MaskLoad(pairs, a, RangeMask(0, first, pixels));
  const __m256i s1 = Alpha::MaskLoad(pairs + 32, a + 32, RangeMask(8, first, pixels));
  const __m256i keep = RangeMask(0, 0, groups);
  auto* out = reinterpret_cast<int*>(frame);
  const __m256i d = _mm256_maskload_epi32(out, keep);
  _mm256_maskstore_epi32(out, keep, BlendGroups<Kind>(s0, s1, d, p16, full));
}

// Only an address: the missing pixel in front of a row at an odd start is
// never read.
const std::uint8_t* PixelsBefore(const std::uint8_t* row, std::int32_t pixels) {
  return reinterpret_cast<const std::uint8_t*>(reinterpret_cast<std::uintptr_t>(row) -
                                               4 * static_cast<std::uintptr_t>(pixels));
}

// `alpha` runs beside `src`; with OwnAlpha it is `src` itself.
template <typename Kind, typename Alpha>
void BlendYuy2Row(std::uint8_t* g, const std::uint8_t* src, const std::uint8_t* alpha,
                  std::int32_t count, bool oddStart, std::int32_t p) {
  if (count <= 0) return;
  const __m256i p16 = _mm256_set1_epi16(static_cast<short>(p * 16));
  const bool full = p == 256;
  // Pair pixel i is source pixel i - first.
  const std::int32_t first = oddStart ? 1 : 0;
  std::int32_t pixels = count + first;
  const std::uint8_t* pairs = PixelsBefore(src, first);
  const std::uint8_t* a = PixelsBefore(alpha, first);
  if (first != 0) {
    const std::int32_t stepPixels = pixels < 16 ? pixels : 16;
    MaskedStep<Kind, Alpha>(g, pairs, a, first, stepPixels, (stepPixels + 1) / 2, p16, full);
    g += 32, pairs += 64, a += 64, pixels -= stepPixels;
  }
  for (; pixels >= 16; pixels -= 16, g += 32, pairs += 64, a += 64)
    FullStep<Kind, Alpha>(g, pairs, a, p16, full);
  if (pixels > 0) MaskedStep<Kind, Alpha>(g, pairs, a, 0, pixels, (pixels + 1) / 2, p16, full);
}

template <typename Kind>
void WriteBackYuy2Row(std::uint8_t* g, const std::uint8_t* src, std::int32_t count, bool oddStart,
                      std::int32_t p) {
  BlendYuy2Row<Kind, OwnAlpha>(g, src, src, count, oddStart, p);
}

void WriteBackYuy2RowSeparateAlpha(std::uint8_t* g, const std::uint8_t* src,
                                   const std::uint8_t* alpha, std::int32_t count, bool oddStart,
                                   std::int32_t p) {
  BlendYuy2Row<YuvAlphaGroups, SeparateAlphaToByte2>(g, src, alpha, count, oddStart, p);
}

// ---- Write-back over BGR: 8 source pixels over 24 frame bytes per step.

__m128i LoadU(const std::uint8_t* p) {
  return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}

// Frame bytes 0..15 in the low half and 8..23 in the high one; each half's
// four pixels spread to one dword each (B, G, R, 0).
__m256i ExpandBgr(const std::uint8_t* frame) {
  const __m256i bytes = _mm256_inserti128_si256(_mm256_castsi128_si256(LoadU(frame)),
                                                LoadU(frame + 8), 1);
  const __m256i spread = _mm256_setr_epi8(0, 1, 2, -1, 3, 4, 5, -1, 6, 7, 8, -1, 9, 10, 11, -1,
                                          4, 5, 6, -1, 7, 8, 9, -1, 10, 11, 12, -1, 13, 14, 15, -1);
  return _mm256_shuffle_epi8(bytes, spread);
}

// The reverse, stored as frame bytes 0..7 and 8..23.
void StoreBgr(std::uint8_t* frame, __m256i pixels) {
  const __m256i pack = _mm256_setr_epi8(0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14, -1, -1, -1, -1,
                                        -1, -1, -1, -1, 0, 1, 2, 4, 5, 6, 8, 9, 10, 12, 13, 14);
  const __m256i packed = _mm256_shuffle_epi8(pixels, pack);
  const __m128i low = _mm256_castsi256_si128(packed);                      // bytes 0..11
  const __m128i high = _mm_blend_epi32(_mm256_extracti128_si256(packed, 1),  // bytes 12..23
                                       _mm_srli_si128(low, 8), 0x1);        // and 8..11
  _mm_storel_epi64(reinterpret_cast<__m128i*>(frame), low);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(frame + 8), high);
}

template <typename Alpha>
void BlendBgrStep(std::uint8_t* frame, const std::uint8_t* src, const std::uint8_t* a,
                  __m256i p16, bool full) {
  const __m256i s = Alpha::Load(src, a);
  const __m256i alpha = _mm256_shuffle_epi8(
      s, _mm256_setr_epi8(3, 3, 3, -1, 7, 7, 7, -1, 11, 11, 11, -1, 15, 15, 15, -1, 3, 3, 3, -1, 7,
                          7, 7, -1, 11, 11, 11, -1, 15, 15, 15, -1));
  StoreBgr(frame, BlendStep(s, ExpandBgr(frame), alpha, p16, full, _mm256_set1_epi32(0x00FFFFFF)));
}

template <typename Alpha>
void BlendBgrRow(std::uint8_t* frame, const std::uint8_t* src, const std::uint8_t* a,
                 std::int32_t count, std::int32_t p) {
  if (count <= 0) return;
  const __m256i p16 = _mm256_set1_epi16(static_cast<short>(p * 16));
  const bool full = p == 256;
  std::int32_t i = 0;
  for (; i + 8 <= count; i += 8, frame += 24, src += 32, a += 32)
    BlendBgrStep<Alpha>(frame, src, a, p16, full);
  if (i < count) {  // the rest on copies, of which only the row's bytes go back
    const auto rest = static_cast<std::size_t>(count - i);
    alignas(32) std::uint8_t frameCopy[24] = {};
    alignas(32) std::uint8_t srcCopy[32] = {};
    alignas(32) std::uint8_t alphaCopy[32] = {};
    std::memcpy(frameCopy, frame, 3 * rest);
    std::memcpy(srcCopy, src, 4 * rest);
    std::memcpy(alphaCopy, a, 4 * rest);
    BlendBgrStep<Alpha>(frameCopy, srcCopy, alphaCopy, p16, full);
    std::memcpy(frame, frameCopy, 3 * rest);
  }
}

void WriteBackBgrRow(std::uint8_t* frame, const std::uint8_t* src, std::int32_t count, bool,
                     std::int32_t p) {
  BlendBgrRow<OwnAlpha>(frame, src, src, count, p);
}

void WriteBackBgrRowSeparateAlpha(std::uint8_t* frame, const std::uint8_t* src,
                                  const std::uint8_t* alpha, std::int32_t count, bool,
                                  std::int32_t p) {
  BlendBgrRow<SeparateAlphaToByte3>(frame, src, alpha, count, p);
}

// ---- Extraction from 4:2:2: 4 groups (16 frame bytes) to 8 pixels a step.
//
// As in the write-back, a row is a run of pixel pairs, one per group, an odd
// start making the first pair's first pixel a missing one in front of the
// work row. Each pixel is a byte shuffle of its group (Y, U, Y, V from
// Y0, U, Y1, V), so a step is one shuffle of the four groups repeated in
// both 128-bit halves.

// Lane 0 builds pixels 0..3 from groups 0 and 1, lane 1 pixels 4..7 from
// groups 2 and 3; -1 leaves a zero byte (the alpha form ORs 255 into it).
template <bool kAlpha>
__m256i Yuy2Shuffle() {
  constexpr char a = kAlpha ? -1 : 0, b = kAlpha ? -1 : 2, c = kAlpha ? -1 : 4, d = kAlpha ? -1 : 6;
  constexpr char e = kAlpha ? -1 : 8, f = kAlpha ? -1 : 10, g = kAlpha ? -1 : 12, h = kAlpha ? -1 : 14;
  return _mm256_setr_epi8(0, 1, a, 3, 2, 1, b, 3, 4, 5, c, 7, 6, 5, d, 7,  //
                          8, 9, e, 11, 10, 9, f, 11, 12, 13, g, 15, 14, 13, h, 15);
}

template <bool kAlpha>
__m256i Yuy2Pixels(__m128i groups) {
  const __m256i both = _mm256_broadcastsi128_si256(groups);
  const __m256i pixels = _mm256_shuffle_epi8(both, Yuy2Shuffle<kAlpha>());
  return kAlpha ? _mm256_or_si256(pixels, Splat<__m256i>(0x00FF0000)) : pixels;
}

__m128i RangeMask128(std::int32_t high) {
  return _mm_cmpgt_epi32(_mm_set1_epi32(high), _mm_setr_epi32(0, 1, 2, 3));
}

// A step at a row end: pair pixels `first`..`pixels`-1 of the step's eight
// are written, and only the groups that hold them are read.
template <bool kAlpha>
void ExtractMaskedStep(const std::uint8_t* groups, std::uint8_t* pairs, std::int32_t first,
                       std::int32_t pixels) {
  const __m128i in = _mm_maskload_epi32(reinterpret_cast<const int*>(groups),
                                        RangeMask128((pixels + 1) / 2));
  _mm256_maskstore_epi32(reinterpret_cast<int*>(pairs), RangeMask(0, first, pixels),
                         Yuy2Pixels<kAlpha>(in));
}

template <bool kAlpha>
void ExtractYuy2Row(const std::uint8_t* g, std::uint8_t* work, std::int32_t count, bool oddStart) {
  if (count <= 0) return;
  const std::int32_t first = oddStart ? 1 : 0;
  std::int32_t pixels = count + first;
  // Only an address: the missing pixel in front of the row is never written.
  auto* pairs = reinterpret_cast<std::uint8_t*>(reinterpret_cast<std::uintptr_t>(work) -
                                                4 * static_cast<std::uintptr_t>(first));
  if (first != 0) {
    const std::int32_t stepPixels = pixels < 8 ? pixels : 8;
    ExtractMaskedStep<kAlpha>(g, pairs, first, stepPixels);
    g += 16, pairs += 32, pixels -= stepPixels;
  }
  for (; pixels >= 16; pixels -= 16, g += 32, pairs += 64) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(pairs), Yuy2Pixels<kAlpha>(LoadU(g)));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(pairs + 32), Yuy2Pixels<kAlpha>(LoadU(g + 16)));
  }
  if (pixels >= 8) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(pairs), Yuy2Pixels<kAlpha>(LoadU(g)));
    g += 16, pairs += 32, pixels -= 8;
  }
  if (pixels > 0) ExtractMaskedStep<kAlpha>(g, pairs, 0, pixels);
}

// ---- Extraction from BGR: 8 pixels (24 frame bytes) a step, per layout
// (ConversionFormulas.h).

template <typename Kind>
void ExtractBgrRow(const std::uint8_t* frame, std::uint8_t* work, std::int32_t count, bool) {
  std::int32_t i = 0;
  for (; i + 8 <= count; i += 8, frame += 24, work += 32)
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(work), Kind::Convert(ExpandBgr(frame)));
  if (i < count) {  // the rest on copies, of which only the row's bytes go out
    const auto rest = static_cast<std::size_t>(count - i);
    alignas(32) std::uint8_t in[24] = {};
    alignas(32) std::uint8_t out[32];
    std::memcpy(in, frame, 3 * rest);
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), Kind::Convert(ExpandBgr(in)));
    std::memcpy(work, out, 4 * rest);
  }
}

}  // namespace

void UpgradeToAvx2(ConversionKernels& t) {
  t.yuy2ToYuv = &ExtractYuy2Row<false>;
  t.yuy2ToYuvAlpha = &ExtractYuy2Row<true>;
  t.bgrToYuv = &ExtractBgrRow<BgrToYuv>;
  t.bgrToYuvAlpha = &ExtractBgrRow<BgrToYuvAlpha>;
  t.bgrToBgrLuma = &ExtractBgrRow<BgrToBgrLuma>;
  t.bgrToBgrAlpha = &ExtractBgrRow<BgrToBgrAlpha>;
  t.yuvAlphaOverYuy2 = &WriteBackYuy2Row<YuvAlphaGroups>;
  t.bgrAlphaOverYuy2 = &WriteBackYuy2Row<BgrAlphaGroups>;
  t.bgrAlphaOverBgr = &WriteBackBgrRow;
  t.yuvOverYuy2SeparateAlpha = &WriteBackYuy2RowSeparateAlpha;
  t.bgrOverBgrSeparateAlpha = &WriteBackBgrRowSeparateAlpha;
}

}  // namespace kestrimo
