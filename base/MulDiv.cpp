#include "base/MulDiv.h"

namespace kestrimo {

std::int32_t MulDiv(std::int32_t a, std::int32_t b, std::int32_t c) {
  if (c == 0) return -1;
  std::int64_t multiplicand = a;
  std::int64_t divisor = c;
  if (divisor < 0) {  // work with a positive divisor
    multiplicand = -multiplicand;
    divisor = -divisor;
  }
  const std::int64_t product = multiplicand * b;
  const bool positive = (multiplicand >= 0) == (b >= 0);
  const std::int64_t half = divisor / 2;
  const std::int64_t result = (positive ? product + half : product - half) / divisor;
  if (result > INT32_MAX || result < -INT32_MAX) return -1;
  return static_cast<std::int32_t>(result);
}

}  // namespace kestrimo
