// The row loops of following the camera from one frame to the next: the key
// samples of a frame row (luma of YUY2, green of BGR) gathered into a plane
// of bytes, a plane halved in each direction for the coarse search, and the
// sums of absolute and of squared differences between a block of one plane
// and a block of another: the first finds the best whole shift of a block,
// the curvature of the second about it the fraction of a pixel. Rows need
// no alignment.
#pragma once

#include <cstdint>

namespace kestrimo {

// Blocks larger than this (width times rows) are summed in pieces, so that
// the twins' 16-bit and 32-bit lanes cannot overflow.
inline constexpr std::int32_t kMotionMaxBlockPixels = 1 << 16;

struct MotionKernels {
  // keys[i] = samples[i * step] for i < count. The twins take the step of
  // YUY2 rows (2); other steps go through the reference.
  void (*keyRow)(const std::uint8_t* samples, std::int32_t step, std::int32_t count,
                 std::uint8_t* keys);
  // half[i] = (above[2i] + above[2i + 1] + below[2i] + below[2i + 1] + 2) >> 2
  // for i < count.
  void (*halveRow)(const std::uint8_t* above, const std::uint8_t* below, std::int32_t count,
                   std::uint8_t* half);
  // The sum over r < rows and i < width of |a[r * aStride + i] - b[r * bStride + i]|;
  // width * rows is at most kMotionMaxBlockPixels.
  std::uint32_t (*blockSad)(const std::uint8_t* a, std::int32_t aStride, const std::uint8_t* b,
                            std::int32_t bStride, std::int32_t width, std::int32_t rows);
  // The same with (a - b)^2 in place of |a - b|.
  std::uint32_t (*blockSsd)(const std::uint8_t* a, std::int32_t aStride, const std::uint8_t* b,
                            std::int32_t bStride, std::int32_t width, std::int32_t rows);
};

void FillScalar(MotionKernels& kernels);
void UpgradeToSse2(MotionKernels& kernels);  // imaging/x86/MotionSse2.cpp
void UpgradeToAvx2(MotionKernels& kernels);  // imaging/x86/MotionAvx2.cpp

}  // namespace kestrimo
