// The row loop that takes a blended logo out of frame samples. A logo of
// colour L laid over the picture B at opacity a shows s = a L + (1 - a) B, so
// B = (s - a L) / (1 - a) = s * gain + offset with gain = 1 / (1 - a) and
// offset = -a L / (1 - a). Each sample has its own pair of 16-bit
// coefficients: gain in units of 1/4096, offset in units of 1/16 of a level.
// A sample is any byte of the frame (Y, U, V of 4:2:2 or B, G, R); the pair
// (4096, 0) leaves it as it is.
#pragma once

#include <cstdint>

namespace kestrimo {

inline constexpr int kSubtractGainShift = 12;           // gain 1.0 = 4096
inline constexpr std::int32_t kSubtractOffsetScale = 256;  // offset unit * 256 = gain unit
inline constexpr std::int16_t kSubtractUnitGain = 1 << kSubtractGainShift;

struct SubtractCoefficient {
  std::int16_t gain;
  std::int16_t offset;
};

struct LogoSubtractKernels {
  // samples[i] = clamp((samples[i] * gain + 256 * offset + 2048) >> 12) to
  // 0..255, for i < count.
  void (*subtractRow)(std::uint8_t* samples, const SubtractCoefficient* coefficients,
                      std::int32_t count);
};

void FillScalar(LogoSubtractKernels& kernels);
void UpgradeToSse2(LogoSubtractKernels& kernels);  // imaging/x86/LogoSubtractSse2.cpp
void UpgradeToAvx2(LogoSubtractKernels& kernels);  // imaging/x86/LogoSubtractAvx2.cpp

}  // namespace kestrimo
