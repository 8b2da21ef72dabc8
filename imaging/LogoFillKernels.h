// The inner loops of the logo fill: one run of masked pixels between two
// anchors, interpolated linearly on all four bytes of a pixel at once.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrimo {

struct LogoFillKernels {
  // Overwrites the distance - 1 pixels between `anchor` (P0) and the pixel
  // `distance` pixels to its right (P1) with the interpolation of the two.
  // Both anchors are only read. distance >= 2.
  void (*fillRowRun)(std::uint8_t* anchor, std::int32_t distance);
  // The same along a column whose pixels lie `stride` bytes apart (negative
  // for a bottom-up image walked downwards); each interpolated byte v is
  // averaged with the byte already there: (v + old + 1) >> 1.
  void (*blendColumnRun)(std::uint8_t* anchor, std::ptrdiff_t stride, std::int32_t distance);
  // blendColumnRun on `columns` neighbouring columns (anchors 4 bytes apart)
  // that share the run's rows: the same bytes result, several columns a step.
  void (*blendColumnRuns)(std::uint8_t* anchor, std::ptrdiff_t stride, std::int32_t distance,
                          std::int32_t columns);
};

// The scalar references, then the twins laid over them (imaging/Kernels.h):
// SSE2 for every run, AVX2 for the row run and the column groups.
void FillScalar(LogoFillKernels& kernels);
void UpgradeToSse2(LogoFillKernels& kernels);  // imaging/x86/LogoFillSse2.cpp
void UpgradeToAvx2(LogoFillKernels& kernels);  // imaging/x86/LogoFillAvx2.cpp

}  // namespace kestrimo
