// The Windows multiply-divide, computed the same way on every target.
#pragma once

#include <cstdint>

namespace kestrimo {

// a * b / c with the product in 64 bits, rounded to the nearest integer, a
// half away from zero (by adding or subtracting half the divisor before the
// truncating division). -1 when c is 0 or the result does not fit in 32 bits
// (INT32_MIN counts as not fitting, as it does on Windows).
std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c);

}  // namespace kestrimo
