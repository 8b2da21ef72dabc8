#include "imaging/LogoFillKernels.h"

#include <cmath>

namespace kestrimo {
namespace {

constexpr int kChannels = 4;
constexpr int kPixelBytes = 4;

std::int32_t RoundHalfToEven(float value) {
  const float below = std::floor(value);
  const float fraction = value - below;
  auto result = static_cast<std::int32_t>(below);
  if (fraction > 0.5f || (fraction == 0.5f && (result & 1) != 0)) ++result;
  return result;
}

std::int16_t SaturateInt16(std::int32_t value) {
  if (value > INT16_MAX) return INT16_MAX;
  if (value < INT16_MIN) return INT16_MIN;
  return static_cast<std::int16_t>(value);
}

std::uint8_t ClampByte(std::int32_t value) {
  if (value < 0) return 0;
  if (value > 255) return 255;
  return static_cast<std::uint8_t>(value);
}

// The per-channel state of one run: a 16-bit accumulator with 7 fractional
// bits and the 16-bit step added per pixel.
struct RunState {
  std::int16_t acc[kChannels];
  std::int16_t slope[kChannels];

  RunState(const std::uint8_t* p0, const std::uint8_t* p1, std::int32_t distance) {
    for (int c = 0; c < kChannels; ++c) {
      const float quotient =
          static_cast<float>(p1[c] - p0[c]) / static_cast<float>(distance) * 128.0f;
      slope[c] = SaturateInt16(RoundHalfToEven(quotient));
      acc[c] = static_cast<std::int16_t>(p0[c] * 128);
    }
  }

  // Advances one pixel and writes the four interpolated bytes to `out`.
  void Step(std::uint8_t* out) {
    for (int c = 0; c < kChannels; ++c) {
      acc[c] = SaturateInt16(acc[c] + slope[c]);
      out[c] = ClampByte(acc[c] >> 7);
    }
  }
};

void FillRowRun(std::uint8_t* anchor, std::int32_t distance) {
  RunState run(anchor, anchor + std::ptrdiff_t{distance} * kPixelBytes, distance);
  for (std::int32_t k = 1; k < distance; ++k) run.Step(anchor + std::ptrdiff_t{k} * kPixelBytes);
}

void BlendColumnRun(std::uint8_t* anchor, std::ptrdiff_t stride, std::int32_t distance) {
  RunState run(anchor, anchor + distance * stride, distance);
  for (std::int32_t k = 1; k < distance; ++k) {
    std::uint8_t* pixel = anchor + k * stride;
    std::uint8_t value[kChannels];
    run.Step(value);
    for (int c = 0; c < kChannels; ++c) pixel[c] = static_cast<std::uint8_t>((value[c] + pixel[c] + 1) >> 1);
  }
}

void BlendColumnRuns(std::uint8_t* anchor, std::ptrdiff_t stride, std::int32_t distance,
                     std::int32_t columns) {
  for (std::int32_t c = 0; c < columns; ++c)
    BlendColumnRun(anchor + std::ptrdiff_t{c} * kPixelBytes, stride, distance);
}

}  // namespace

void FillScalar(LogoFillKernels& kernels) {
  kernels = {FillRowRun, BlendColumnRun, BlendColumnRuns};
}

}  // namespace kestrimo
