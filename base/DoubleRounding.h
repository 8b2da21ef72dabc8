// Single-precision results of formulas stated in double precision, computed
// in integers. On a 32-bit processor without SSE2, double arithmetic runs on
// the x87 unit, whose extra precision and second rounding can change the last
// bit; these give exactly what a double computation on SSE2 gives (one
// rounding to 53 bits per operation, then one to 24 bits).
#pragma once

#include <cstdint>

namespace kestrimo {

// A non-negative number mantissa × 2^exponent. `sticky` marks that non-zero
// bits below the mantissa were dropped, so the number lies just above it.
struct Dyadic {
  std::uint64_t mantissa = 0;
  std::int32_t exponent = 0;
  bool sticky = false;
};

// The double nearest to 0.1, as the compiler stores the literal.
constexpr Dyadic kDoubleTenth{0x1999999999999Aull, -56, false};

// The exact value of a finite float's magnitude.
Dyadic DyadicOf(float value);

// The float nearest to x, ties to even (a sticky x is never a tie).
float NearestFloat(Dyadic x);

// float(double(a) + b) for a finite a >= 0 and a double b >= 0; a = +inf
// gives +inf.
float DoubleSumToFloat(float a, Dyadic b);

// float(double(a) * double(b) * double(c)) for a finite c.
float DoubleProductToFloat(std::int32_t a, std::uint32_t b, float c);

}  // namespace kestrimo
