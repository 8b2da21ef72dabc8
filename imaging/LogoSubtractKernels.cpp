#include "imaging/LogoSubtractKernels.h"

namespace kestrimo {
namespace {

constexpr std::int32_t kRounding = 1 << (kSubtractGainShift - 1);

std::uint8_t Clamp(std::int32_t v) {
  return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

void SubtractRow(std::uint8_t* samples, const SubtractCoefficient* coefficients,
                 std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) {
    const SubtractCoefficient c = coefficients[i];
    const std::int32_t gain = c.gain + kSubtractGainBase;
    const std::int32_t offset = c.offset + kSubtractOffsetBase;
    const std::int32_t clean = samples[i] * gain + kSubtractOffsetScale * offset + kRounding;
    samples[i] = Clamp(clean >> kSubtractGainShift);
  }
}

}  // namespace

void FillScalar(LogoSubtractKernels& kernels) { kernels = {SubtractRow}; }

}  // namespace kestrimo
