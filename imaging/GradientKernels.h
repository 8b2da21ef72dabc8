// Row loops of the logo finder's statistics: the sums of a plane's
// differences between two rows (or a row and itself two pixels on), how often
// a difference is a rising or a falling step, and the sums of values and
// squares. Rows need no alignment; counts never wrap as long as a caller adds
// at most 255 rows into the same counts.
#pragma once

#include <cstdint>

namespace kestrimo {

struct GradientKernels {
  // For each i < count, with d = to[i] - from[i]: sums[i] += d,
  // rising[i] += d > step, falling[i] += d < -step. step is 0..255.
  void (*sumSteps)(const std::uint8_t* from, const std::uint8_t* to, std::int32_t count,
                   std::int32_t step, std::int32_t* sums, std::uint8_t* rising,
                   std::uint8_t* falling);
  // values[i] += row[i], and squares[i] += row[i]^2 unless squares is null.
  void (*sumValues)(const std::uint8_t* row, std::int32_t count, std::uint32_t* values,
                    std::uint32_t* squares);
};

// The scalar references, then the SSE2 twins laid over them (imaging/Kernels.h).
void FillScalar(GradientKernels& kernels);
void UpgradeToSse2(GradientKernels& kernels);  // imaging/x86/GradientSse2.cpp
inline void UpgradeToAvx2(GradientKernels&) {}

}  // namespace kestrimo
