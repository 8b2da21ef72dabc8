#include "imaging/MotionKernels.h"

namespace kestrimo {
namespace {

void KeyRow(const std::uint8_t* samples, std::int32_t step, std::int32_t count,
            std::uint8_t* keys) {
  for (std::int32_t i = 0; i < count; ++i) keys[i] = samples[i * step];
}

void HalveRow(const std::uint8_t* above, const std::uint8_t* below, std::int32_t count,
              std::uint8_t* half) {
  for (std::int32_t i = 0; i < count; ++i) {
    const std::int32_t sum = above[2 * i] + above[2 * i + 1] + below[2 * i] + below[2 * i + 1];
    half[i] = static_cast<std::uint8_t>((sum + 2) >> 2);
  }
}

std::uint32_t BlockSad(const std::uint8_t* a, std::int32_t aStride, const std::uint8_t* b,
                       std::int32_t bStride, std::int32_t width, std::int32_t rows) {
  std::uint32_t sum = 0;
  for (std::int32_t r = 0; r < rows; ++r, a += aStride, b += bStride) {
    for (std::int32_t i = 0; i < width; ++i) {
      const std::int32_t d = a[i] - b[i];
      sum += static_cast<std::uint32_t>(d < 0 ? -d : d);
    }
  }
  return sum;
}

std::uint32_t BlockSsd(const std::uint8_t* a, std::int32_t aStride, const std::uint8_t* b,
                       std::int32_t bStride, std::int32_t width, std::int32_t rows) {
  std::uint32_t sum = 0;
  for (std::int32_t r = 0; r < rows; ++r, a += aStride, b += bStride) {
    for (std::int32_t i = 0; i < width; ++i) {
      const std::int32_t d = a[i] - b[i];
      sum += static_cast<std::uint32_t>(d * d);
    }
  }
  return sum;
}

}  // namespace

void FillScalar(MotionKernels& kernels) { kernels = {KeyRow, HalveRow, BlockSad, BlockSsd}; }

}  // namespace kestrimo
