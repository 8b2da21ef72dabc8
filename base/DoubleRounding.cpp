#include "base/DoubleRounding.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

namespace kestrimo {
namespace {

// Significant bits of a value, as a signed count.
int BitWidth(std::uint64_t value) { return static_cast<int>(std::bit_width(value)); }

constexpr int kDoubleBits = 53;
constexpr int kFloatBits = 24;
// Mantissas are widened to this many bits before a rounding, so that a
// dropped bit below them only ever needs the sticky flag.
constexpr int kWideBits = 62;

std::uint64_t LowBits(std::uint64_t value, int count) {
  return count >= 64 ? value : value & ((std::uint64_t{1} << count) - 1);
}

// Rounds to `bits` significant bits, to nearest, ties to even.
Dyadic RoundTo(Dyadic x, int bits) {
  const int excess = BitWidth(x.mantissa) - bits;
  if (excess <= 0) return x;
  const std::uint64_t dropped = LowBits(x.mantissa, excess);
  const std::uint64_t half = std::uint64_t{1} << (excess - 1);
  std::uint64_t kept = x.mantissa >> excess;
  if (dropped > half || (dropped == half && (x.sticky || (kept & 1) != 0))) ++kept;
  return {kept, x.exponent + excess, false};
}

// The same number at a lower or higher exponent; bits shifted out on the
// right become the sticky flag. Shifting left must not overflow.
Dyadic AtExponent(Dyadic x, std::int32_t exponent) {
  const int shift = x.exponent - exponent;
  if (shift >= 0) return {x.mantissa << shift, exponent, x.sticky};
  const int right = -shift;
  const bool lost = LowBits(x.mantissa, right) != 0;
  const std::uint64_t kept = right >= 64 ? 0 : x.mantissa >> right;
  return {kept, exponent, x.sticky || lost};
}

// a + b, with the larger one's top bit at bit kWideBits - 1.
Dyadic Sum(Dyadic a, Dyadic b) {
  const int top = std::max(a.exponent + BitWidth(a.mantissa),
                           b.exponent + BitWidth(b.mantissa));
  const std::int32_t exponent = top - kWideBits;
  a = AtExponent(a, exponent);
  b = AtExponent(b, exponent);
  return {a.mantissa + b.mantissa, exponent, a.sticky || b.sticky};
}

// a × b for a of at most 53 bits and b of at most 24, kept in at most
// kWideBits bits (the 77-bit product as two 32-bit halves).
Dyadic Product(Dyadic a, Dyadic b) {
  const std::uint64_t high = (a.mantissa >> 32) * b.mantissa;
  const std::uint64_t low = LowBits(a.mantissa, 32) * b.mantissa;
  const std::uint64_t upper = high + (low >> 32);
  const std::uint64_t lower = LowBits(low, 32);
  const int shift = std::min(32, kWideBits - BitWidth(upper));
  const std::uint64_t mantissa = (upper << shift) | (lower >> (32 - shift));
  return {mantissa, a.exponent + b.exponent + 32 - shift, LowBits(lower, 32 - shift) != 0};
}

// Rounded to double, then to float.
float ThroughDouble(Dyadic exact) { return NearestFloat(RoundTo(exact, kDoubleBits)); }

}  // namespace

Dyadic DyadicOf(float value) {
  const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
  const std::uint32_t biased = (bits >> 23) & 0xFF;
  const std::uint32_t fraction = bits & 0x7FFFFF;
  if (biased == 0) return {fraction, -149, false};
  return {fraction | 0x800000, static_cast<std::int32_t>(biased) - 150, false};
}

// Built from its bits, so that no library routine (and no x87 unit) takes
// part; a subnormal result, which no caller meets, goes through ldexp.
float NearestFloat(Dyadic x) {
  Dyadic single = RoundTo(x, kFloatBits);
  if (single.mantissa == 0) return 0.0f;
  while (BitWidth(single.mantissa) < kFloatBits) {
    single.mantissa <<= 1;
    --single.exponent;
  }
  if (BitWidth(single.mantissa) > kFloatBits) {  // 2^24 after rounding up
    single.mantissa >>= 1;
    ++single.exponent;
  }
  const int biased = single.exponent + (kFloatBits - 1) + 127;
  if (biased >= 255) return std::numeric_limits<float>::infinity();
  if (biased <= 0) {
    return std::ldexp(static_cast<float>(static_cast<std::int32_t>(single.mantissa)),
                      single.exponent);
  }
  const auto fraction = static_cast<std::uint32_t>(single.mantissa) & 0x7FFFFFu;
  return std::bit_cast<float>((static_cast<std::uint32_t>(biased) << 23) | fraction);
}

float DoubleSumToFloat(float a, Dyadic b) {
  if (std::isinf(a)) return a;
  return ThroughDouble(Sum(DyadicOf(a), b));
}

float DoubleProductToFloat(std::int32_t a, std::uint32_t b, float c) {
  const bool negative = (a < 0) != std::signbit(c);  // a zero keeps its sign
  const std::uint64_t magnitudeA = a < 0 ? 0 - static_cast<std::uint64_t>(a) : a;
  // a × b is exact in 64 bits; in double it is the first rounding.
  const Dyadic ab = RoundTo({magnitudeA * b, 0, false}, kDoubleBits);
  const float result = ThroughDouble(Product(ab, DyadicOf(c)));
  return negative ? -result : result;
}

}  // namespace kestrimo
