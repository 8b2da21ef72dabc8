#include "imaging/ConversionKernels.h"

#include "imaging/ColourCoefficients.h"

namespace kestrimo {
namespace {

// Right shifts of negative values are arithmetic (C++20), so `>> n` is
// floor(value / 2^n) throughout.

std::uint8_t Clamp(std::int32_t v) {
  return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// The high 16 bits of a 16 x 16-bit product: floor(value * factor / 65536).
std::int32_t HighProduct(std::int32_t value, std::int32_t factor) {
  return (value * factor) >> 16;
}

struct Yuv {
  std::uint8_t y, u, v;
};

// (wB * B + wG * G + wR * R) >> 15.
std::int32_t Weigh(BgrWeights w, const std::uint8_t* bgr) {
  return (w.b * bgr[0] + w.g * bgr[1] + w.r * bgr[2]) >> kBgrWeightShift;
}

Yuv BgrToYuv(const std::uint8_t* bgr) {
  return {Clamp(Weigh(kLumaWeights, bgr)), Clamp(Weigh(kCbWeights, bgr) + kChromaOffset),
          Clamp(Weigh(kCrWeights, bgr) + kChromaOffset)};
}

void YuvToBgr(std::int32_t y, std::int32_t cb, std::int32_t cr, std::uint8_t* out) {
  const std::int32_t u = (cb - kChromaOffset) * kChromaScale;
  const std::int32_t v = (cr - kChromaOffset) * kChromaScale;
  out[0] = Clamp(y + HighProduct(u, kCbToB));
  out[1] = Clamp(y + HighProduct(u, kCbToG) + HighProduct(v, kCrToG));
  out[2] = Clamp(y + HighProduct(v, kCrToR));
}

std::uint8_t Blend(std::int32_t s, std::int32_t d, std::int32_t alpha, std::int32_t p) {
  const std::int32_t a = alpha + (alpha >> 7);
  std::int32_t t = ((s - d) * a) >> 8;
  t = (t * p) >> 8;
  return Clamp(d + t);
}

// One work pixel from a pixel's Y and its group's U, V, per layout.
struct StoreYuv {
  static void Apply(std::uint8_t y, std::uint8_t u, std::uint8_t v, std::uint8_t* out) {
    out[0] = y, out[1] = u, out[2] = y, out[3] = v;
  }
};
struct StoreYuvAlpha {
  static void Apply(std::uint8_t y, std::uint8_t u, std::uint8_t v, std::uint8_t* out) {
    out[0] = y, out[1] = u, out[2] = 255, out[3] = v;
  }
};
struct StoreBgrLuma {
  static void Apply(std::uint8_t y, std::uint8_t u, std::uint8_t v, std::uint8_t* out) {
    YuvToBgr(y, u, v, out);
    out[3] = y;
  }
};
struct StoreBgrAlpha {
  static void Apply(std::uint8_t y, std::uint8_t u, std::uint8_t v, std::uint8_t* out) {
    YuvToBgr(y, u, v, out);
    out[3] = 255;
  }
};

// Group = Y0, U, Y1, V. An odd start takes the second pixel of the first
// group; a pixel left over at the end is the first pixel of its group.
template <typename Store>
void ExtractYuy2Row(const std::uint8_t* g, std::uint8_t* work, std::int32_t count,
                    bool oddStart) {
  std::int32_t i = 0;
  if (oddStart && count > 0) {
    Store::Apply(g[2], g[1], g[3], work);
    g += 4, work += 4, ++i;
  }
  for (; i + 2 <= count; i += 2, g += 4, work += 8) {
    Store::Apply(g[0], g[1], g[3], work);
    Store::Apply(g[2], g[1], g[3], work + 4);
  }
  if (i < count) Store::Apply(g[0], g[1], g[3], work);
}

// One work pixel from a B, G, R frame pixel, per layout.
struct BgrToYuvPixel {
  static void Apply(const std::uint8_t* bgr, std::uint8_t* out) {
    const Yuv c = BgrToYuv(bgr);
    out[0] = c.y, out[1] = c.u, out[2] = c.y, out[3] = c.v;
  }
};
struct BgrToYuvAlphaPixel {
  static void Apply(const std::uint8_t* bgr, std::uint8_t* out) {
    const Yuv c = BgrToYuv(bgr);
    out[0] = c.y, out[1] = c.u, out[2] = 255, out[3] = c.v;
  }
};
struct BgrToBgrLumaPixel {
  static void Apply(const std::uint8_t* bgr, std::uint8_t* out) {
    out[0] = bgr[0], out[1] = bgr[1], out[2] = bgr[2], out[3] = BgrToYuv(bgr).y;
  }
};
struct BgrToBgrAlphaPixel {
  static void Apply(const std::uint8_t* bgr, std::uint8_t* out) {
    out[0] = bgr[0], out[1] = bgr[1], out[2] = bgr[2], out[3] = 255;
  }
};

template <typename Convert>
void ExtractBgrRow(const std::uint8_t* frame, std::uint8_t* work, std::int32_t count, bool) {
  for (std::int32_t i = 0; i < count; ++i, frame += 3, work += 4) Convert::Apply(frame, work);
}

// A source pixel as Y, U, V and its blend alpha, per source layout; `a` is
// the pixel of the separate alpha row where the alpha comes from there.
struct YuvAlphaSource {
  static void Apply(const std::uint8_t* px, const std::uint8_t*, Yuv& c, std::int32_t& alpha) {
    c = {px[0], px[1], px[3]};
    alpha = px[2];
  }
};
struct BgrAlphaSource {
  static void Apply(const std::uint8_t* px, const std::uint8_t*, Yuv& c, std::int32_t& alpha) {
    c = BgrToYuv(px);
    alpha = px[3];
  }
};
struct YuvSeparateAlpha {
  static void Apply(const std::uint8_t* px, const std::uint8_t* a, Yuv& c, std::int32_t& alpha) {
    c = {px[0], px[1], px[3]};
    alpha = a[3];
  }
};

// A whole group takes (Y of p0, U of p0, Y of p1, V of p0) with alphas
// (A0, A0, A1, A0). A single pixel is blended as (Y, U, Y, V) with its own
// alpha: at an odd start only Y1 is stored, at the end Y0, U and V.
template <typename Source>
void BlendYuy2Row(std::uint8_t* g, const std::uint8_t* src, const std::uint8_t* a,
                  std::int32_t count, bool oddStart, std::int32_t p) {
  Yuv c0, c1;
  std::int32_t a0, a1;
  std::int32_t i = 0;
  if (oddStart && count > 0) {
    Source::Apply(src, a, c0, a0);
    g[2] = Blend(c0.y, g[2], a0, p);
    g += 4, src += 4, a += 4, ++i;
  }
  for (; i + 2 <= count; i += 2, g += 4, src += 8, a += 8) {
    Source::Apply(src, a, c0, a0);
    Source::Apply(src + 4, a + 4, c1, a1);
    g[0] = Blend(c0.y, g[0], a0, p);
    g[1] = Blend(c0.u, g[1], a0, p);
    g[2] = Blend(c1.y, g[2], a1, p);
    g[3] = Blend(c0.v, g[3], a0, p);
  }
  if (i < count) {
    Source::Apply(src, a, c0, a0);
    g[0] = Blend(c0.y, g[0], a0, p);
    g[1] = Blend(c0.u, g[1], a0, p);
    g[3] = Blend(c0.v, g[3], a0, p);
  }
}

template <typename Source>
void WriteBackYuy2Row(std::uint8_t* g, const std::uint8_t* src, std::int32_t count,
                      bool oddStart, std::int32_t p) {
  BlendYuy2Row<Source>(g, src, src, count, oddStart, p);
}

void WriteBackYuy2RowSeparateAlpha(std::uint8_t* g, const std::uint8_t* src,
                                   const std::uint8_t* alpha, std::int32_t count, bool oddStart,
                                   std::int32_t p) {
  BlendYuy2Row<YuvSeparateAlpha>(g, src, alpha, count, oddStart, p);
}

void WriteBackBgrRow(std::uint8_t* frame, const std::uint8_t* src, std::int32_t count, bool,
                     std::int32_t p) {
  for (std::int32_t i = 0; i < count; ++i, frame += 3, src += 4)
    for (int c = 0; c < 3; ++c) frame[c] = Blend(src[c], frame[c], src[3], p);
}

void WriteBackBgrRowSeparateAlpha(std::uint8_t* frame, const std::uint8_t* src,
                                  const std::uint8_t* alpha, std::int32_t count, bool,
                                  std::int32_t p) {
  for (std::int32_t i = 0; i < count; ++i, frame += 3, src += 4, alpha += 4)
    for (int c = 0; c < 3; ++c) frame[c] = Blend(src[c], frame[c], alpha[3], p);
}

}  // namespace

std::int32_t OpacityScale(std::int32_t percent) {
  const std::int32_t clamped = percent < 0 ? 0 : (percent > 100 ? 100 : percent);
  return clamped * 256 / 100;
}

void FillScalar(ConversionKernels& kernels) {
  kernels = {
      &ExtractYuy2Row<StoreYuv>,          &ExtractYuy2Row<StoreYuvAlpha>,
      &ExtractYuy2Row<StoreBgrLuma>,      &ExtractYuy2Row<StoreBgrAlpha>,
      &ExtractBgrRow<BgrToYuvPixel>,      &ExtractBgrRow<BgrToYuvAlphaPixel>,
      &ExtractBgrRow<BgrToBgrLumaPixel>,  &ExtractBgrRow<BgrToBgrAlphaPixel>,
      &WriteBackYuy2Row<YuvAlphaSource>,  &WriteBackYuy2Row<BgrAlphaSource>,
      &WriteBackBgrRow,
      &WriteBackYuy2RowSeparateAlpha,     &WriteBackBgrRowSeparateAlpha,
  };
}

}  // namespace kestrimo
