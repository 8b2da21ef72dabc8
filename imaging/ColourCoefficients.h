// The fixed-point weights of the colour conversions (the formulas are in
// imaging/ConversionKernels.h), shared by the scalar references and their
// SIMD twins.
#pragma once

#include <cstdint>

namespace kestrimo {

// BGR to YUV: each of Y, U and V is (wB * B + wG * G + wR * R) >> kBgrWeightShift,
// U and V then offset by kChromaOffset.
struct BgrWeights {
  std::int16_t b, g, r;
};
inline constexpr BgrWeights kLumaWeights{3735, 19235, 9798};
inline constexpr BgrWeights kCbWeights{16384, -10855, -5529};
inline constexpr BgrWeights kCrWeights{-2664, -13720, 16384};
inline constexpr int kBgrWeightShift = 15;
inline constexpr std::int32_t kChromaOffset = 128;

// YUV to BGR: u = (U - 128) * kChromaScale, v likewise; each offset added to
// Y is floor(u * w / 65536), the high half of a 16 x 16-bit product.
inline constexpr std::int32_t kChromaScale = 16;
inline constexpr std::int16_t kCbToB = 7258;
inline constexpr std::int16_t kCbToG = -1410;
inline constexpr std::int16_t kCrToG = -2925;
inline constexpr std::int16_t kCrToR = 5743;

}  // namespace kestrimo
