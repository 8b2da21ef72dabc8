// Row routines of the bilinear scaling: the vertical step blends two source
// rows into the row buffer, the horizontal step walks the row buffer along a
// ScaleTable and writes one destination row. Scalar references here, SSE2
// twins in imaging/x86/ScalingSse2.cpp.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/ColourKey.h"

namespace kestrimo {

// One resampling step, read in table order. The read pointer moves by `step`
// bytes to the first sample and then by `next` bytes to the second one.
struct ScaleTableEntry {
  std::int32_t step = 0;
  std::int32_t next = 0;             // 0 when the weight is 0, else the step unit
  std::uint16_t weight[4] = {};      // fraction of the second sample, 0..4095; all equal
};
static_assert(sizeof(ScaleTableEntry) == 16, "the row routines load entries as 16 bytes");

// Colour-key protection of one call. The key is compared with the low 24 bits
// (B, G, R) of each pixel; a key pixel is never mixed with a non-key one.
struct KeyProtection {
  bool enabled = false;
  std::uint32_t key = 0;  // 0x00RRGGBB, as the low 24 bits of a pixel
};

inline constexpr std::uint32_t kKeyColourBits = 0x00FFFFFFu;
// A weight above this (of 4096) takes the second pixel of a protected pair.
inline constexpr std::uint16_t kKeyChoiceThreshold = 128;

// p0 + floor((p1 - p0) * w / 4096) for each byte, with key protection applied
// to the pair first.
inline std::uint32_t InterpolatePixel(std::uint32_t p0, std::uint32_t p1, std::uint16_t w,
                                      KeyProtection protection) {
  if (protection.enabled) {
    const bool key0 = (p0 & kKeyColourBits) == protection.key;
    const bool key1 = (p1 & kKeyColourBits) == protection.key;
    if (key0 != key1) {
      const std::uint32_t chosen = w > kKeyChoiceThreshold ? p1 : p0;
      p0 = chosen;
      p1 = chosen;
    }
  }
  std::uint32_t out = 0;
  for (int shift = 0; shift < 32; shift += 8) {
    const std::int32_t a = static_cast<std::int32_t>((p0 >> shift) & 0xFF);
    const std::int32_t b = static_cast<std::int32_t>((p1 >> shift) & 0xFF);
    std::int32_t value = a + (((b - a) * 16 * w) >> 16);  // arithmetic shift: floor
    value = value < 0 ? 0 : (value > 255 ? 255 : value);
    out |= static_cast<std::uint32_t>(value) << shift;
  }
  return out;
}

// rowBuffer[x] = interpolation of the pixel at sourceRow + 4x and the pixel
// `next` bytes further, with `weight`, for x in 0..width-1. Source pixels need
// not be aligned.
using ScaleVerticalStep = void (*)(const std::uint8_t* sourceRow, std::ptrdiff_t next,
                                   std::uint16_t weight, std::int32_t width,
                                   std::uint32_t* rowBuffer, KeyProtection protection);

// For each of `count` entries: move the read pointer (starting at rowBuffer)
// by step, take p0, move by next, take p1, and store their interpolation with
// the entry's weight as destination pixel k. The destination need not be
// aligned.
using ScaleHorizontalStep = void (*)(const std::uint32_t* rowBuffer,
                                     const ScaleTableEntry* table, std::int32_t count,
                                     std::uint8_t* destinationRow, KeyProtection protection);

struct ScalingKernels {
  ScaleVerticalStep verticalStep;
  ScaleHorizontalStep horizontalStep;
};

// The scalar references, then the twins laid over them (imaging/Kernels.h);
// there are no AVX2 twins, the SSE2 ones stay.
void FillScalar(ScalingKernels& kernels);
void UpgradeToSse2(ScalingKernels& kernels);  // imaging/x86/ScalingSse2.cpp
inline void UpgradeToAvx2(ScalingKernels&) {}

}  // namespace kestrimo
