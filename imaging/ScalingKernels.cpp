#include "imaging/ScalingKernels.h"

#include <cstring>

namespace kestrimo {
namespace {

std::uint32_t LoadPixel(const std::uint8_t* at) {
  std::uint32_t pixel;
  std::memcpy(&pixel, at, sizeof pixel);
  return pixel;
}

void StorePixel(std::uint8_t* at, std::uint32_t pixel) { std::memcpy(at, &pixel, sizeof pixel); }

void VerticalStepScalar(const std::uint8_t* sourceRow, std::ptrdiff_t next, std::uint16_t weight,
                        std::int32_t width, std::uint32_t* rowBuffer, KeyProtection protection) {
  for (std::int32_t x = 0; x < width; ++x) {
    const std::uint8_t* first = sourceRow + 4 * static_cast<std::ptrdiff_t>(x);
    rowBuffer[x] = InterpolatePixel(LoadPixel(first), LoadPixel(first + next), weight, protection);
  }
}

void HorizontalStepScalar(const std::uint32_t* rowBuffer, const ScaleTableEntry* table,
                          std::int32_t count, std::uint8_t* destinationRow,
                          KeyProtection protection) {
  const auto* read = reinterpret_cast<const std::uint8_t*>(rowBuffer);
  for (std::int32_t k = 0; k < count; ++k) {
    const ScaleTableEntry& entry = table[k];
    read += entry.step;
    const std::uint32_t p0 = LoadPixel(read);
    read += entry.next;
    const std::uint32_t p1 = LoadPixel(read);
    StorePixel(destinationRow + 4 * static_cast<std::ptrdiff_t>(k),
               InterpolatePixel(p0, p1, entry.weight[0], protection));
  }
}

}  // namespace

void FillScalar(ScalingKernels& kernels) {
  kernels = {VerticalStepScalar, HorizontalStepScalar};
}

}  // namespace kestrimo
