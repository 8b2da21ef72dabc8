#include "imaging/LogoPresenceKernels.h"

namespace kestrimo {
namespace {

void DifferenceRow(const std::uint8_t* shown, std::int32_t shownStep, const std::uint8_t* fill,
                   std::int32_t fillStep, const std::uint8_t* opacity, const std::uint8_t* colour,
                   std::int32_t count, std::int16_t* difference, std::int16_t* expected) {
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t s = shown[i * shownStep], w = fill[i * fillStep];
    difference[i] = static_cast<std::int16_t>(s - w);
    expected[i] = static_cast<std::int16_t>((opacity[i] * (colour[i] - w)) >> kPresenceOpacityShift);
  }
}

void SumRow(const std::int16_t* differenceAbove, const std::int16_t* difference,
            const std::int16_t* differenceBelow, const std::int16_t* expectedAbove,
            const std::int16_t* expected, const std::int16_t* expectedBelow, std::int32_t count,
            PresenceSums* sums) {
  std::int64_t match = 0, energy = 0;
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t dx = difference[i + 1] - difference[i - 1];
    const std::int32_t dy = differenceBelow[i] - differenceAbove[i];
    const std::int32_t ex = expected[i + 1] - expected[i - 1];
    const std::int32_t ey = expectedBelow[i] - expectedAbove[i];
    match += dx * ex + dy * ey;
    energy += ex * ex + ey * ey;
  }
  sums->match += match;
  sums->energy += energy;
}

}  // namespace

void FillScalar(LogoPresenceKernels& kernels) { kernels = {DifferenceRow, SumRow}; }

}  // namespace kestrimo
