// SSE2 twins of the frame conversion row routines, on the formulas of
// ConversionFormulas.h.
//
// A step handles four 4:2:2 groups (eight pixels) or four BGR pixels. Row
// ends that do not fill a step, and the single pixels at an odd start or an
// odd end, go through the same step on a small copy, of which only the bytes
// that belong to the row are stored back.
#include <emmintrin.h>

#include <cstring>

#include "imaging/ConversionKernels.h"
#include "imaging/x86/ConversionFormulas.h"

namespace kestrimo {
namespace {

__m128i LoadU(const std::uint8_t* p) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
void StoreU(std::uint8_t* p, __m128i v) { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }

__m128i Dwords(std::uint32_t v) { return _mm_set1_epi32(static_cast<int>(v)); }

// Twelve bytes, without reading past them.
__m128i Load12(const std::uint8_t* p) {
  std::int32_t last;
  std::memcpy(&last, p + 8, 4);
  return _mm_unpacklo_epi64(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(p)),
                            _mm_cvtsi32_si128(last));
}

void Store12(std::uint8_t* p, __m128i v) {
  _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
  const std::int32_t last = _mm_cvtsi128_si32(_mm_srli_si128(v, 8));
  std::memcpy(p + 8, &last, 4);
}

// Four packed B, G, R pixels (12 bytes) to one dword each: B, G, R, 0.
__m128i ExpandBgr(const std::uint8_t* p) {
  const __m128i v = Load12(p);
  const __m128i p01 = _mm_unpacklo_epi32(v, _mm_srli_si128(v, 3));
  const __m128i p23 = _mm_unpacklo_epi32(_mm_srli_si128(v, 6), _mm_srli_si128(v, 9));
  return _mm_and_si128(_mm_unpacklo_epi64(p01, p23), Dwords(0x00FFFFFF));
}

// The reverse: bytes 0..2 of each dword, packed into the low 12 bytes.
__m128i PackBgr(__m128i px) {
  const __m128i p0 = _mm_and_si128(px, _mm_setr_epi32(0x00FFFFFF, 0, 0, 0));
  const __m128i p1 = _mm_and_si128(px, _mm_setr_epi32(0, 0x00FFFFFF, 0, 0));
  const __m128i p2 = _mm_and_si128(px, _mm_setr_epi32(0, 0, 0x00FFFFFF, 0));
  const __m128i p3 = _mm_and_si128(px, _mm_setr_epi32(0, 0, 0, 0x00FFFFFF));
  return _mm_or_si128(_mm_or_si128(p0, _mm_srli_si128(p1, 1)),
                      _mm_or_si128(_mm_srli_si128(p2, 2), _mm_srli_si128(p3, 3)));
}

// ---- 4:2:2 extraction: 16 frame bytes (4 groups Y0, U, Y1, V) to 8 pixels.

struct Yuy2ToYuv {
  static void Step(const std::uint8_t* frame, std::uint8_t* work) {
    const __m128i g = LoadU(frame);
    const __m128i even = _mm_or_si128(_mm_and_si128(g, Dwords(0xFF00FFFF)),
                                      _mm_slli_epi32(_mm_and_si128(g, Dwords(0xFF)), 16));
    const __m128i odd = _mm_or_si128(_mm_and_si128(g, Dwords(0xFFFFFF00)),
                                     _mm_and_si128(_mm_srli_epi32(g, 16), Dwords(0xFF)));
    StoreU(work, _mm_unpacklo_epi32(even, odd));
    StoreU(work + 16, _mm_unpackhi_epi32(even, odd));
  }
};

struct Yuy2ToYuvAlpha {
  static void Step(const std::uint8_t* frame, std::uint8_t* work) {
    const __m128i g = LoadU(frame);
    const __m128i alpha = Dwords(0x00FF0000);
    const __m128i even = _mm_or_si128(_mm_and_si128(g, Dwords(0xFF00FFFF)), alpha);
    const __m128i odd = _mm_or_si128(
        _mm_or_si128(_mm_and_si128(g, Dwords(0xFF00FF00)), alpha),
        _mm_and_si128(_mm_srli_epi32(g, 16), Dwords(0xFF)));
    StoreU(work, _mm_unpacklo_epi32(even, odd));
    StoreU(work + 16, _mm_unpackhi_epi32(even, odd));
  }
};

// B, G, R, Y of the eight pixels; kAlphaOr is OR-ed into each result, so
// 0xFF000000 turns byte 3 from Y into 255.
template <std::uint32_t kAlphaOr>
struct Yuy2ToBgr {
  static void Step(const std::uint8_t* frame, std::uint8_t* work) {
    const __m128i zero = _mm_setzero_si128();
    const __m128i low = Dwords(0xFF);
    const __m128i g = LoadU(frame);
    const __m128i y0 = _mm_and_si128(g, low);
    const __m128i y1 = _mm_and_si128(_mm_srli_epi32(g, 16), low);
    const __m128i cb = _mm_and_si128(_mm_srli_epi32(g, 8), low);
    const __m128i cr = _mm_srli_epi32(g, 24);
    // u0..u3, v0..v3 as (C - 128) * 16.
    static_assert(kChromaScale == 1 << 4);
    const __m128i uv =
        _mm_slli_epi16(_mm_sub_epi16(_mm_packs_epi32(cb, cr), _mm_set1_epi16(kChromaOffset)), 4);
    const __m128i br = _mm_mulhi_epi16(uv, _mm_setr_epi16(kCbToB, kCbToB, kCbToB, kCbToB,  //
                                                          kCrToR, kCrToR, kCrToR, kCrToR));
    const __m128i gg = _mm_mulhi_epi16(uv, _mm_setr_epi16(kCbToG, kCbToG, kCbToG, kCbToG,  //
                                                          kCrToG, kCrToG, kCrToG, kCrToG));
    const __m128i gsum = _mm_add_epi16(gg, _mm_srli_si128(gg, 8));
    // Per group the offsets (b, g, r, 0) added to the pixel's Y in all four lanes.
    const __m128i bg = _mm_unpacklo_epi16(br, gsum);
    const __m128i r0 = _mm_unpacklo_epi16(_mm_srli_si128(br, 8), zero);
    const __m128i off01 = _mm_unpacklo_epi32(bg, r0);
    const __m128i off23 = _mm_unpackhi_epi32(bg, r0);
    // Y of each pixel in both words of a dword, pixels in row order.
    const __m128i ye = _mm_or_si128(y0, _mm_slli_epi32(y0, 16));
    const __m128i yo = _mm_or_si128(y1, _mm_slli_epi32(y1, 16));
    const __m128i y01 = _mm_unpacklo_epi32(ye, yo);
    const __m128i y23 = _mm_unpackhi_epi32(ye, yo);
    const __m128i q0 = _mm_add_epi16(_mm_unpacklo_epi32(y01, y01), _mm_unpacklo_epi64(off01, off01));
    const __m128i q1 = _mm_add_epi16(_mm_unpackhi_epi32(y01, y01), _mm_unpackhi_epi64(off01, off01));
    const __m128i q2 = _mm_add_epi16(_mm_unpacklo_epi32(y23, y23), _mm_unpacklo_epi64(off23, off23));
    const __m128i q3 = _mm_add_epi16(_mm_unpackhi_epi32(y23, y23), _mm_unpackhi_epi64(off23, off23));
    const __m128i top = Dwords(kAlphaOr);
    StoreU(work, _mm_or_si128(_mm_packus_epi16(q0, q1), top));
    StoreU(work + 16, _mm_or_si128(_mm_packus_epi16(q2, q3), top));
  }
};

template <typename Kind>
void ExtractYuy2Row(const std::uint8_t* g, std::uint8_t* work, std::int32_t count, bool oddStart) {
  if (count <= 0) return;
  alignas(16) std::uint8_t in[16] = {};
  alignas(16) std::uint8_t out[32];
  if (oddStart) {
    std::memcpy(in, g, 4);
    Kind::Step(in, out);
    std::memcpy(work, out + 4, 4);
    g += 4, work += 4, --count;
  }
  for (; count >= 8; count -= 8, g += 16, work += 32) Kind::Step(g, work);
  if (count > 0) {
    std::memcpy(in, g, 4 * static_cast<std::size_t>((count + 1) / 2));
    Kind::Step(in, out);
    std::memcpy(work, out, 4 * static_cast<std::size_t>(count));
  }
}

// ---- BGR extraction: 12 frame bytes (4 pixels) to 4 pixels, per layout
// (ConversionFormulas.h).

template <typename Kind>
void ExtractBgrRow(const std::uint8_t* frame, std::uint8_t* work, std::int32_t count, bool) {
  std::int32_t i = 0;
  for (; i + 4 <= count; i += 4, frame += 12, work += 16)
    StoreU(work, Kind::Convert(ExpandBgr(frame)));
  if (i < count) {
    const auto rest = static_cast<std::size_t>(count - i);
    alignas(16) std::uint8_t in[12] = {};
    alignas(16) std::uint8_t out[16];
    std::memcpy(in, frame, 3 * rest);
    StoreU(out, Kind::Convert(ExpandBgr(in)));
    std::memcpy(work, out, 4 * rest);
  }
}

// The blend of a step. At full opacity a step whose alphas are all 255
// gives its source, and any step whose alphas are all 0 gives its frame
// bytes (D + floor(0) = D): both skip the arithmetic. `opaque` has 255 where
// an alpha lane is used and 0 where it is always 0.
__m128i BlendStep(__m128i s, __m128i d, __m128i alpha, __m128i p16, bool full, __m128i opaque) {
  if (_mm_movemask_epi8(_mm_cmpeq_epi8(alpha, _mm_setzero_si128())) == 0xFFFF) return d;
  if (full && _mm_movemask_epi8(_mm_cmpeq_epi8(alpha, opaque)) == 0xFFFF) return s;
  return BlendBytes(s, d, alpha, p16);
}

// ---- Where a write-back's blend alpha comes from: the source pixels
// themselves, or byte 3 of the pixels of a separate alpha row, moved into
// the source's alpha byte (byte 2 of Y, U, A, V; byte 3 of B, G, R, A).

struct OwnAlpha {
  static __m128i Load(const std::uint8_t* src, const std::uint8_t*) { return LoadU(src); }
};
struct SeparateAlphaToByte2 {
  static __m128i Load(const std::uint8_t* src, const std::uint8_t* alpha) {
    return _mm_or_si128(_mm_and_si128(LoadU(src), Dwords(0xFF00FFFF)),
                        _mm_and_si128(_mm_srli_epi32(LoadU(alpha), 8), Dwords(0x00FF0000)));
  }
};
struct SeparateAlphaToByte3 {
  static __m128i Load(const std::uint8_t* src, const std::uint8_t* alpha) {
    return _mm_or_si128(_mm_and_si128(LoadU(src), Dwords(0x00FFFFFF)),
                        _mm_and_si128(LoadU(alpha), Dwords(0xFF000000)));
  }
};

// ---- Write-back over 4:2:2: 8 source pixels over 16 frame bytes (4 groups),
// the groups' source values and alphas made per source layout
// (ConversionFormulas.h).

template <typename Kind, typename Alpha>
void BlendGroupsStep(std::uint8_t* frame, const std::uint8_t* src, const std::uint8_t* a,
                     __m128i p16, bool full) {
  const __m128i t0 = _mm_shuffle_epi32(Alpha::Load(src, a), _MM_SHUFFLE(3, 1, 2, 0));  // p0 p2 p1 p3
  const __m128i t1 =
      _mm_shuffle_epi32(Alpha::Load(src + 16, a + 16), _MM_SHUFFLE(3, 1, 2, 0));  // p4 p6 p5 p7
  __m128i source, alpha;
  Kind::Make(_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1), source, alpha);
  StoreU(frame, BlendStep(source, LoadU(frame), alpha, p16, full, Dwords(0xFFFFFFFF)));
}

// `a` runs beside `src`; with OwnAlpha it is `src` itself.
template <typename Kind, typename Alpha>
void BlendYuy2Row(std::uint8_t* g, const std::uint8_t* src, const std::uint8_t* a,
                  std::int32_t count, bool oddStart, std::int32_t p) {
  if (count <= 0) return;
  const __m128i p16 = _mm_set1_epi16(static_cast<short>(p * 16));
  const bool full = p == 256;
  alignas(16) std::uint8_t frameCopy[16] = {};
  alignas(16) std::uint8_t srcCopy[32] = {};
  alignas(16) std::uint8_t alphaCopy[32] = {};
  if (oddStart) {  // the pixel as both halves of the group; only Y1 is kept
    std::memcpy(frameCopy, g, 4);
    std::memcpy(srcCopy, src, 4);
    std::memcpy(srcCopy + 4, src, 4);
    std::memcpy(alphaCopy, a, 4);
    std::memcpy(alphaCopy + 4, a, 4);
    BlendGroupsStep<Kind, Alpha>(frameCopy, srcCopy, alphaCopy, p16, full);
    g[2] = frameCopy[2];
    g += 4, src += 4, a += 4, --count;
  }
  for (; count >= 8; count -= 8, g += 16, src += 32, a += 32)
    BlendGroupsStep<Kind, Alpha>(g, src, a, p16, full);
  if (count > 0) {
    const auto pairs = static_cast<std::size_t>(count / 2);
    const bool single = (count & 1) != 0;
    std::memcpy(frameCopy, g, 4 * (pairs + single));
    std::memcpy(srcCopy, src, 4 * static_cast<std::size_t>(count));
    std::memcpy(alphaCopy, a, 4 * static_cast<std::size_t>(count));
    if (single) {
      std::memcpy(srcCopy + 4 * count, src + 4 * (count - 1), 4);
      std::memcpy(alphaCopy + 4 * count, a + 4 * (count - 1), 4);
    }
    BlendGroupsStep<Kind, Alpha>(frameCopy, srcCopy, alphaCopy, p16, full);
    std::memcpy(g, frameCopy, 4 * pairs);
    if (single) {  // the group's Y1 stays
      std::uint8_t* last = g + 4 * pairs;
      last[0] = frameCopy[4 * pairs];
      last[1] = frameCopy[4 * pairs + 1];
      last[3] = frameCopy[4 * pairs + 3];
    }
  }
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

// ---- Write-back over BGR: 4 source pixels over 12 frame bytes.

template <typename Alpha>
void BlendBgrStep(std::uint8_t* frame, const std::uint8_t* src, const std::uint8_t* a,
                  __m128i p16, bool full) {
  const __m128i s = Alpha::Load(src, a);
  __m128i alpha = _mm_srli_epi32(s, 24);
  alpha = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 8));
  alpha = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
  Store12(frame, PackBgr(BlendStep(s, ExpandBgr(frame), alpha, p16, full, Dwords(0x00FFFFFF))));
}

template <typename Alpha>
void BlendBgrRow(std::uint8_t* frame, const std::uint8_t* src, const std::uint8_t* a,
                 std::int32_t count, std::int32_t p) {
  const __m128i p16 = _mm_set1_epi16(static_cast<short>(p * 16));
  const bool full = p == 256;
  std::int32_t i = 0;
  for (; i + 4 <= count; i += 4, frame += 12, src += 16, a += 16)
    BlendBgrStep<Alpha>(frame, src, a, p16, full);
  if (i < count) {
    const auto rest = static_cast<std::size_t>(count - i);
    alignas(16) std::uint8_t frameCopy[12] = {};
    alignas(16) std::uint8_t srcCopy[16] = {};
    alignas(16) std::uint8_t alphaCopy[16] = {};
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

}  // namespace

void UpgradeToSse2(ConversionKernels& kernels) {
  kernels = {
      &ExtractYuy2Row<Yuy2ToYuv>,
      &ExtractYuy2Row<Yuy2ToYuvAlpha>,
      &ExtractYuy2Row<Yuy2ToBgr<0>>,
      &ExtractYuy2Row<Yuy2ToBgr<0xFF000000u>>,
      &ExtractBgrRow<BgrToYuv>,
      &ExtractBgrRow<BgrToYuvAlpha>,
      &ExtractBgrRow<BgrToBgrLuma>,
      &ExtractBgrRow<BgrToBgrAlpha>,
      &WriteBackYuy2Row<YuvAlphaGroups>,
      &WriteBackYuy2Row<BgrAlphaGroups>,
      &WriteBackBgrRow,
      &WriteBackYuy2RowSeparateAlpha,
      &WriteBackBgrRowSeparateAlpha,
  };
}

}  // namespace kestrimo
