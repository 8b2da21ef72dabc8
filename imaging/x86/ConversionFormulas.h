// The conversion formulas on vectors of pixels, written once for the SSE2
// twins (128 bits: four pixels) and the AVX2 twins (256 bits: eight pixels,
// pixel order kept within each 128-bit half). Samples are widened to 16-bit
// lanes; products keep their high 16 bits (which floors) or are summed in 32
// bits where the formula shifts a whole sum; an unsigned pack does the final
// clamp to 0..255. In an unnamed namespace for the reason VectorOps.h gives.
#pragma once

#include "imaging/ColourCoefficients.h"
#include "imaging/x86/VectorOps.h"

namespace kestrimo {
namespace {

// Dwords of 0..255 values as the bytes b0, b1, b2, b3 of each dword.
template <typename V>
V JoinBytes(V b0, V b1, V b2, V b3) {
  return Or(Or(b0, Shl32(b1, 8)), Or(Shl32(b2, 16), Shl32(b3, 24)));
}

// (wB * B + wG * G + wR * R) >> 15 of B, G, R, x pixels, one dword each.
template <typename V>
V Weigh(V px, BgrWeights w) {
  const V weights = Weights<V>(w);
  const V m01 = MultiplyAdd16(UnpackLo8(px, Zero<V>()), weights);  // bg0 r0 bg1 r1
  const V m23 = MultiplyAdd16(UnpackHi8(px, Zero<V>()), weights);  // bg2 r2 bg3 r3
  const V t01 = Shuffle32<_MM_SHUFFLE(3, 1, 2, 0)>(m01);           // bg0 bg1 r0 r1
  const V t23 = Shuffle32<_MM_SHUFFLE(3, 1, 2, 0)>(m23);
  return Sar32(Add32(UnpackLo64(t01, t23), UnpackHi64(t01, t23)), kBgrWeightShift);
}

// The luma weights sum to 32768, so Y is already 0..255.
template <typename V>
V LumaOf(V px) {
  return Weigh(px, kLumaWeights);
}

// The weights of U and of V sum to at most 16384 either way, so the floored
// quotient lies in -128..127 and the result in 0..255.
template <typename V>
V CbOf(V px) {
  return Add32(Weigh(px, kCbWeights), Splat<V>(kChromaOffset));
}
template <typename V>
V CrOf(V px) {
  return Add32(Weigh(px, kCrWeights), Splat<V>(kChromaOffset));
}

// The blend on 16-bit lanes; p16 = p * 16. Scaling both factors by 16 makes
// the high half of the 16-bit product the product divided by 256, floored:
// (S - D) * 16 and t * 16 stay within +-4080, a * 16 and p * 16 within 4096.
template <typename V>
V Blend16(V s, V d, V alpha, V p16) {
  const V a = Add16(alpha, Shr16(alpha, 7));
  const V t = MulHi16(Shl16(Sub16(s, d), 4), Shl16(a, 4));
  return Add16(d, MulHi16(Shl16(t, 4), p16));
}

// Source bytes over frame bytes, one alpha per byte.
template <typename V>
V BlendBytes(V s, V d, V alpha, V p16) {
  const V zero = Zero<V>();
  const V lo = Blend16(UnpackLo8(s, zero), UnpackLo8(d, zero), UnpackLo8(alpha, zero), p16);
  const V hi = Blend16(UnpackHi8(s, zero), UnpackHi8(d, zero), UnpackHi8(alpha, zero), p16);
  return PackUnsigned16(lo, hi);
}

// ---- Write-back over 4:2:2: the source values (Y0, U, Y1, V) and alphas
// (A0, A0, A1, A0) of groups from their first pixels `even` and second
// pixels `odd`, one dword per group.

struct YuvAlphaGroups {
  template <typename V>
  static void Make(V even, V odd, V& source, V& alpha) {
    const V low = Splat<V>(0xFF);
    source = Or(And(even, Splat<V>(0xFF00FFFF)), Shl32(And(odd, low), 16));
    const V ae = And(Shr32(even, 16), low);
    const V ao = And(Shr32(odd, 16), low);
    alpha = JoinBytes(ae, ae, ao, ae);
  }
};
struct BgrAlphaGroups {
  template <typename V>
  static void Make(V even, V odd, V& source, V& alpha) {
    source = JoinBytes(LumaOf(even), CbOf(even), LumaOf(odd), CrOf(even));
    const V ae = Shr32(even, 24);
    const V ao = Shr32(odd, 24);
    alpha = JoinBytes(ae, ae, ao, ae);
  }
};

// ---- Extraction from BGR: B, G, R, 0 pixels to each work layout.

struct BgrToYuv {
  template <typename V>
  static V Convert(V px) {
    const V y = LumaOf(px);
    return JoinBytes(y, CbOf(px), y, CrOf(px));
  }
};
struct BgrToYuvAlpha {
  template <typename V>
  static V Convert(V px) {
    return JoinBytes(LumaOf(px), CbOf(px), Splat<V>(255), CrOf(px));
  }
};
struct BgrToBgrLuma {
  template <typename V>
  static V Convert(V px) {
    return Or(px, Shl32(LumaOf(px), 24));
  }
};
struct BgrToBgrAlpha {
  template <typename V>
  static V Convert(V px) {
    return Or(px, Splat<V>(0xFF000000));
  }
};

}  // namespace
}  // namespace kestrimo
