#include "imaging/GaussianWeight.h"

#include <bit>
#include <cmath>
#include <limits>

#include "base/DoubleRounding.h"

namespace kestrimo {
namespace {

// Significant bits of a value, as a signed count.
int BitWidth(std::uint64_t value) { return static_cast<int>(std::bit_width(value)); }

// The argument's fixed point: 6 integer bits, 58 fraction bits.
constexpr int kArgumentFraction = 58;
// ln 2 with 64 fraction bits rounded down, and with 58 rounded up: a quotient
// by the latter never takes too many ln 2 out of the argument.
constexpr std::uint64_t kLn2Q64 = 0xB17217F7D1CF79ABull;
constexpr std::uint64_t kLn2Q58Up = 0x2C5C85FDF473DE7ull;
// exp(-r) is summed with 62 fraction bits.
constexpr int kSumFraction = 62;

// The high 64 bits of a × b, from 32-bit halves.
std::uint64_t MultiplyHigh(std::uint64_t a, std::uint64_t b) {
  const std::uint64_t aLow = a & 0xFFFFFFFFu, aHigh = a >> 32;
  const std::uint64_t bLow = b & 0xFFFFFFFFu, bHigh = b >> 32;
  const std::uint64_t lowLow = aLow * bLow, highLow = aHigh * bLow, lowHigh = aLow * bHigh;
  const std::uint64_t middle = (lowLow >> 32) + (highLow & 0xFFFFFFFFu) + (lowHigh & 0xFFFFFFFFu);
  return aHigh * bHigh + (highLow >> 32) + (lowHigh >> 32) + (middle >> 32);
}

// floor(numerator × 2^shift / divisor) for a divisor below 2^62, by long
// division one bit at a time; the largest uint64 when it does not fit.
std::uint64_t ShiftedQuotient(std::uint64_t numerator, int shift, std::uint64_t divisor) {
  std::uint64_t quotient = 0;
  std::uint64_t remainder = 0;
  for (int i = BitWidth(numerator) - 1 + shift; i >= 0; --i) {
    const std::uint64_t bit = i >= shift ? (numerator >> (i - shift)) & 1 : 0;
    remainder = (remainder << 1) | bit;
    if (quotient >> 63 != 0) return std::numeric_limits<std::uint64_t>::max();
    quotient <<= 1;
    if (remainder >= divisor) {
      remainder -= divisor;
      quotient |= 1;
    }
  }
  return quotient;
}

// e² / (2 s²) with kArgumentFraction fraction bits, where s = m × 2^k:
// e² × 2^(fraction - 2k - 1) / m².
std::uint64_t Argument(std::int32_t e, float s) {
  const Dyadic sigma = DyadicOf(s);
  const auto square = static_cast<std::uint64_t>(e) * static_cast<std::uint64_t>(e);
  const int shift = kArgumentFraction - 2 * sigma.exponent - 1;
  if (shift < 0 || sigma.mantissa == 0) return 0;  // below 2^-58
  return ShiftedQuotient(square, shift, sigma.mantissa * sigma.mantissa);
}

// exp(-r) for r = reduced × 2^-64 below 1, with kSumFraction fraction bits:
// the alternating Taylor series, each term r^i / i! from the one before.
std::uint64_t ExpOfMinus(std::uint64_t reduced) {
  std::uint64_t term = std::uint64_t{1} << kSumFraction;
  std::uint64_t sum = term;
  for (std::uint32_t i = 1; term != 0; ++i) {
    term = MultiplyHigh(term, reduced) / i;
    sum = (i & 1) != 0 ? sum - term : sum + term;
  }
  return sum;
}

}  // namespace

float GaussianWeight(std::int32_t e, float s) {
  if (std::isinf(s)) return 1.0f;
  const std::uint64_t argument = Argument(e, s);
  if (argument == std::numeric_limits<std::uint64_t>::max()) return 0.0f;
  // exp(-x) = 2^-n × exp(-r) with x = n ln 2 + r, 0 <= r < 1.
  const std::uint64_t n = argument / kLn2Q58Up;
  const std::uint64_t reduced = (argument << (64 - kArgumentFraction)) - n * kLn2Q64;
  const std::int32_t exponent = -kSumFraction - static_cast<std::int32_t>(n);
  return NearestFloat({ExpOfMinus(reduced), exponent, false});
}

}  // namespace kestrimo
