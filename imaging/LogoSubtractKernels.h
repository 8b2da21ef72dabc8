// The row loop that takes a blended logo out of frame samples. A logo of
// colour L laid over the picture B at opacity a shows s = a L + (1 - a) B, so
// B = (s - a L) / (1 - a) = s * gain + offset with gain = 1 / (1 - a) and
// offset = -a L / (1 - a). Each sample has its own pair of 16-bit
// coefficients: gain in units of 1/4096, offset in units of 1/16 of a level,
// each stored as its difference from a base, so that the 16 bits hold the
// range a subtraction needs up to 93 % opacity: gains up to 16, offsets
// down to -3584 levels. A sample is any byte of the frame (Y, U, V of 4:2:2
// or B, G, R); SubtractPair(4096, 0) leaves it as it is.
#pragma once

#include <cstdint>

namespace kestrimo {

inline constexpr int kSubtractGainShift = 12;           // gain 1.0 = 4096
inline constexpr std::int32_t kSubtractOffsetScale = 256;  // offset unit * 256 = gain unit
inline constexpr std::int32_t kSubtractUnitGain = 1 << kSubtractGainShift;
// What a stored pair counts from: gain 8, offset -1536 levels. Both are
// whole levels after the shift, so that the twins may add 8 s - 1536 to the
// shifted result of the stored pair instead.
inline constexpr int kSubtractGainBaseShift = 3;  // gain base 8 = 1 << 3
inline constexpr std::int32_t kSubtractOffsetBaseLevels = -1536;
inline constexpr std::int32_t kSubtractGainBase = kSubtractUnitGain << kSubtractGainBaseShift;
inline constexpr std::int32_t kSubtractOffsetBase = kSubtractOffsetBaseLevels * 16;
static_assert(kSubtractOffsetBase * kSubtractOffsetScale ==
              kSubtractOffsetBaseLevels * kSubtractUnitGain);

struct SubtractCoefficient {
  std::int16_t gain;    // gain - kSubtractGainBase
  std::int16_t offset;  // offset - kSubtractOffsetBase
};

// True when the stored pair can hold the gain and the offset.
constexpr bool SubtractPairFits(std::int32_t gain, std::int32_t offset) {
  return gain - kSubtractGainBase >= INT16_MIN && gain - kSubtractGainBase <= INT16_MAX &&
         offset - kSubtractOffsetBase >= INT16_MIN && offset - kSubtractOffsetBase <= INT16_MAX;
}

// The stored pair of a gain (1/4096) and an offset (1/16 level) that fit.
constexpr SubtractCoefficient SubtractPair(std::int32_t gain, std::int32_t offset) {
  return {static_cast<std::int16_t>(gain - kSubtractGainBase),
          static_cast<std::int16_t>(offset - kSubtractOffsetBase)};
}

struct LogoSubtractKernels {
  // samples[i] = clamp((samples[i] * gain + 256 * offset + 2048) >> 12) to
  // 0..255, for i < count, with gain and offset the stored pair plus their
  // bases.
  void (*subtractRow)(std::uint8_t* samples, const SubtractCoefficient* coefficients,
                      std::int32_t count);
};

void FillScalar(LogoSubtractKernels& kernels);
void UpgradeToSse2(LogoSubtractKernels& kernels);  // imaging/x86/LogoSubtractSse2.cpp
void UpgradeToAvx2(LogoSubtractKernels& kernels);  // imaging/x86/LogoSubtractAvx2.cpp

}  // namespace kestrimo
