// SSE2 twins of the frame conversion row routines. Samples are widened to
// 16-bit lanes; products keep their high 16 bits (_mm_mulhi_epi16, which
// floors) or are summed in 32 bits (_mm_madd_epi16) where the formula shifts a
// whole sum; _mm_packus_epi16 does the final clamp to 0..255.
//
// A step handles four 4:2:2 groups (eight pixels) or four BGR pixels. Row
// ends that do not fill a step, and the single pixels at an odd start or an
// odd end, go through the same step on a small copy, of which only the bytes
// that belong to the row are stored back.
#include <emmintrin.h>

#include <cstring>

#include "imaging/ConversionKernels.h"

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

// cB * B + cG * G + cR * R of four B, G, R, x pixels, one 32-bit sum each.
__m128i DotBgr(__m128i px, __m128i coeffs) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i m01 = _mm_madd_epi16(_mm_unpacklo_epi8(px, zero), coeffs);  // bg0 r0 bg1 r1
  const __m128i m23 = _mm_madd_epi16(_mm_unpackhi_epi8(px, zero), coeffs);  // bg2 r2 bg3 r3
  const __m128i t01 = _mm_shuffle_epi32(m01, _MM_SHUFFLE(3, 1, 2, 0));      // bg0 bg1 r0 r1
  const __m128i t23 = _mm_shuffle_epi32(m23, _MM_SHUFFLE(3, 1, 2, 0));
  return _mm_add_epi32(_mm_unpacklo_epi64(t01, t23), _mm_unpackhi_epi64(t01, t23));
}

__m128i BgrCoeffs(short b, short g, short r) { return _mm_setr_epi16(b, g, r, 0, b, g, r, 0); }

// Y of four pixels, one dword each. The coefficients sum to 32768, so the
// value is already 0..255.
__m128i LumaOf(__m128i px) {
  return _mm_srai_epi32(DotBgr(px, BgrCoeffs(3735, 19235, 9798)), 15);
}

// U and V: the weights of each sum to at most 16384 either way, so the
// floored quotient lies in -128..127 and the result in 0..255.
__m128i CbOf(__m128i px) {
  return _mm_add_epi32(_mm_srai_epi32(DotBgr(px, BgrCoeffs(16384, -10855, -5529)), 15),
                       Dwords(128));
}
__m128i CrOf(__m128i px) {
  return _mm_add_epi32(_mm_srai_epi32(DotBgr(px, BgrCoeffs(-2664, -13720, 16384)), 15),
                       Dwords(128));
}

// Four dwords of 0..255 values as the bytes b0, b1, b2, b3 of each dword.
__m128i JoinBytes(__m128i b0, __m128i b1, __m128i b2, __m128i b3) {
  return _mm_or_si128(_mm_or_si128(b0, _mm_slli_epi32(b1, 8)),
                      _mm_or_si128(_mm_slli_epi32(b2, 16), _mm_slli_epi32(b3, 24)));
}

// The blend on eight 16-bit lanes; p16 = p * 16. Scaling both factors by 16
// makes the high half of the 16-bit product the product divided by 256,
// floored: (S - D) * 16 and t * 16 stay within +-4080, a * 16 and p * 16
// within 4096.
__m128i Blend16(__m128i s, __m128i d, __m128i alpha, __m128i p16) {
  const __m128i a = _mm_add_epi16(alpha, _mm_srli_epi16(alpha, 7));
  __m128i t = _mm_mulhi_epi16(_mm_slli_epi16(_mm_sub_epi16(s, d), 4), _mm_slli_epi16(a, 4));
  t = _mm_mulhi_epi16(_mm_slli_epi16(t, 4), p16);
  return _mm_add_epi16(d, t);
}

// Sixteen bytes of source over sixteen frame bytes, one alpha per byte.
__m128i BlendBytes(__m128i s, __m128i d, __m128i alpha, __m128i p16) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i lo = Blend16(_mm_unpacklo_epi8(s, zero), _mm_unpacklo_epi8(d, zero),
                             _mm_unpacklo_epi8(alpha, zero), p16);
  const __m128i hi = Blend16(_mm_unpackhi_epi8(s, zero), _mm_unpackhi_epi8(d, zero),
                             _mm_unpackhi_epi8(alpha, zero), p16);
  return _mm_packus_epi16(lo, hi);
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
    const __m128i uv = _mm_slli_epi16(_mm_sub_epi16(_mm_packs_epi32(cb, cr), _mm_set1_epi16(128)), 4);
    const __m128i br = _mm_mulhi_epi16(uv, _mm_setr_epi16(7258, 7258, 7258, 7258, 5743, 5743, 5743, 5743));
    const __m128i gg = _mm_mulhi_epi16(
        uv, _mm_setr_epi16(-1410, -1410, -1410, -1410, -2925, -2925, -2925, -2925));
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

// ---- BGR extraction: 12 frame bytes (4 pixels) to 4 pixels.

struct BgrToYuv {
  static __m128i Convert(__m128i px) {
    const __m128i y = LumaOf(px);
    return JoinBytes(y, CbOf(px), y, CrOf(px));
  }
};
struct BgrToYuvAlpha {
  static __m128i Convert(__m128i px) {
    return JoinBytes(LumaOf(px), CbOf(px), Dwords(255), CrOf(px));
  }
};
struct BgrToBgrLuma {
  static __m128i Convert(__m128i px) { return _mm_or_si128(px, _mm_slli_epi32(LumaOf(px), 24)); }
};
struct BgrToBgrAlpha {
  static __m128i Convert(__m128i px) { return _mm_or_si128(px, Dwords(0xFF000000)); }
};

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

// ---- Write-back over 4:2:2: 8 source pixels over 16 frame bytes (4 groups).

// The source values (Y0, U, Y1, V) and alphas (A0, A0, A1, A0) of four groups
// from their first pixels `even` and second pixels `odd`, one dword per group.
struct YuvAlphaGroups {
  static void Make(__m128i even, __m128i odd, __m128i& source, __m128i& alpha) {
    const __m128i low = Dwords(0xFF);
    source = _mm_or_si128(_mm_and_si128(even, Dwords(0xFF00FFFF)),
                          _mm_slli_epi32(_mm_and_si128(odd, low), 16));
    const __m128i ae = _mm_and_si128(_mm_srli_epi32(even, 16), low);
    const __m128i ao = _mm_and_si128(_mm_srli_epi32(odd, 16), low);
    alpha = JoinBytes(ae, ae, ao, ae);
  }
};
struct BgrAlphaGroups {
  static void Make(__m128i even, __m128i odd, __m128i& source, __m128i& alpha) {
    source = JoinBytes(LumaOf(even), CbOf(even), LumaOf(odd), CrOf(even));
    const __m128i ae = _mm_srli_epi32(even, 24);
    const __m128i ao = _mm_srli_epi32(odd, 24);
    alpha = JoinBytes(ae, ae, ao, ae);
  }
};

template <typename Kind>
void BlendGroupsStep(std::uint8_t* frame, const std::uint8_t* src, __m128i p16) {
  const __m128i t0 = _mm_shuffle_epi32(LoadU(src), _MM_SHUFFLE(3, 1, 2, 0));       // p0 p2 p1 p3
  const __m128i t1 = _mm_shuffle_epi32(LoadU(src + 16), _MM_SHUFFLE(3, 1, 2, 0));  // p4 p6 p5 p7
  __m128i source, alpha;
  Kind::Make(_mm_unpacklo_epi64(t0, t1), _mm_unpackhi_epi64(t0, t1), source, alpha);
  StoreU(frame, BlendBytes(source, LoadU(frame), alpha, p16));
}

template <typename Kind>
void WriteBackYuy2Row(std::uint8_t* g, const std::uint8_t* src, std::int32_t count, bool oddStart,
                      std::int32_t p) {
  if (count <= 0) return;
  const __m128i p16 = _mm_set1_epi16(static_cast<short>(p * 16));
  alignas(16) std::uint8_t frameCopy[16] = {};
  alignas(16) std::uint8_t srcCopy[32] = {};
  if (oddStart) {  // the pixel as both halves of the group; only Y1 is kept
    std::memcpy(frameCopy, g, 4);
    std::memcpy(srcCopy, src, 4);
    std::memcpy(srcCopy + 4, src, 4);
    BlendGroupsStep<Kind>(frameCopy, srcCopy, p16);
    g[2] = frameCopy[2];
    g += 4, src += 4, --count;
  }
  for (; count >= 8; count -= 8, g += 16, src += 32) BlendGroupsStep<Kind>(g, src, p16);
  if (count > 0) {
    const auto pairs = static_cast<std::size_t>(count / 2);
    const bool single = (count & 1) != 0;
    std::memcpy(frameCopy, g, 4 * (pairs + single));
    std::memcpy(srcCopy, src, 4 * static_cast<std::size_t>(count));
    if (single) std::memcpy(srcCopy + 4 * count, src + 4 * (count - 1), 4);
    BlendGroupsStep<Kind>(frameCopy, srcCopy, p16);
    std::memcpy(g, frameCopy, 4 * pairs);
    if (single) {  // the group's Y1 stays
      std::uint8_t* last = g + 4 * pairs;
      last[0] = frameCopy[4 * pairs];
      last[1] = frameCopy[4 * pairs + 1];
      last[3] = frameCopy[4 * pairs + 3];
    }
  }
}

// ---- Write-back over BGR: 4 source pixels over 12 frame bytes.

void BlendBgrStep(std::uint8_t* frame, const std::uint8_t* src, __m128i p16) {
  const __m128i s = LoadU(src);
  __m128i alpha = _mm_srli_epi32(s, 24);
  alpha = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 8));
  alpha = _mm_or_si128(alpha, _mm_slli_epi32(alpha, 16));
  Store12(frame, PackBgr(BlendBytes(s, ExpandBgr(frame), alpha, p16)));
}

void WriteBackBgrRow(std::uint8_t* frame, const std::uint8_t* src, std::int32_t count, bool,
                     std::int32_t p) {
  const __m128i p16 = _mm_set1_epi16(static_cast<short>(p * 16));
  std::int32_t i = 0;
  for (; i + 4 <= count; i += 4, frame += 12, src += 16) BlendBgrStep(frame, src, p16);
  if (i < count) {
    const auto rest = static_cast<std::size_t>(count - i);
    alignas(16) std::uint8_t frameCopy[12] = {};
    alignas(16) std::uint8_t srcCopy[16] = {};
    std::memcpy(frameCopy, frame, 3 * rest);
    std::memcpy(srcCopy, src, 4 * rest);
    BlendBgrStep(frameCopy, srcCopy, p16);
    std::memcpy(frame, frameCopy, 3 * rest);
  }
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
  };
}

}  // namespace kestrimo
