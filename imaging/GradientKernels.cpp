#include "imaging/GradientKernels.h"

namespace kestrimo {
namespace {

void SumSteps(const std::uint8_t* from, const std::uint8_t* to, std::int32_t count,
              std::int32_t step, std::int32_t* sums, std::uint8_t* rising,
              std::uint8_t* falling) {
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t d = to[i] - from[i];
    sums[i] += d;
    rising[i] = static_cast<std::uint8_t>(rising[i] + (d > step));
    falling[i] = static_cast<std::uint8_t>(falling[i] + (d < -step));
  }
}

void SumValues(const std::uint8_t* row, std::int32_t count, std::uint32_t* values,
               std::uint32_t* squares) {
  for (std::int32_t i = 0; i < count; ++i) values[i] += row[i];
  if (squares == nullptr) return;
  for (std::int32_t i = 0; i < count; ++i) squares[i] += std::uint32_t{row[i]} * row[i];
}

}  // namespace

void FillScalar(GradientKernels& kernels) {
  kernels.sumSteps = SumSteps;
  kernels.sumValues = SumValues;
}

}  // namespace kestrimo
