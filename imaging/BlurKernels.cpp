#include "imaging/BlurKernels.h"

#include "imaging/CpuFeatures.h"

namespace kestrimo {
namespace {

std::uint8_t* PixelBytes(std::uint32_t* first, std::ptrdiff_t stride, std::int32_t i) {
  return reinterpret_cast<std::uint8_t*>(first + stride * i);
}

void Widen(BlurEntry& entry, const std::uint8_t* pixel) {
  for (int c = 0; c < 4; ++c) entry.lane[c] = static_cast<float>(pixel[c]);
}

// R copies of the first pixel, the pixels, R copies of the last.
void FillLine(BlurEntry* buffer, std::uint32_t* first, std::ptrdiff_t stride,
              std::int32_t count, std::int32_t radius) {
  for (std::int32_t i = 0; i < count; ++i) Widen(buffer[radius + i], PixelBytes(first, stride, i));
  for (std::int32_t j = 0; j < radius; ++j) {
    buffer[j] = buffer[radius];
    buffer[radius + count + j] = buffer[radius + count - 1];
  }
}

// Float to int32 the way the processor's packed conversion does it: nearest,
// ties to even; NaN and values outside the int32 range give INT32_MIN.
std::int32_t RoundToInt(float v) {
  if (!(v >= -2147483648.0f && v < 2147483648.0f)) return INT32_MIN;
  std::int32_t i = static_cast<std::int32_t>(v);  // toward zero
  const float rest = v - static_cast<float>(i);  // exact, in (-1, 1)
  const bool odd = (i & 1) != 0;
  if (rest > 0.5f || (rest == 0.5f && odd)) ++i;
  if (rest < -0.5f || (rest == -0.5f && odd)) --i;
  return i;
}

// Saturate to int16, then to 0..255.
std::uint8_t SaturateToByte(std::int32_t v) {
  if (v < -32768) v = -32768;
  if (v > 32767) v = 32767;
  if (v < 0) return 0;
  return static_cast<std::uint8_t>(v > 255 ? 255 : v);
}

}  // namespace

void BlurLineScalar(std::uint32_t* first, std::ptrdiff_t stride, std::int32_t count,
                    const BlurEntry* kernel, std::int32_t radius, BlurEntry* buffer) {
  if (first == nullptr || kernel == nullptr || buffer == nullptr || count <= 0 || radius < 0)
    return;
  FillLine(buffer, first, stride, count, radius);
  for (std::int32_t i = 0; i < count; ++i) {
    const BlurEntry* b = buffer + radius + i;  // b[0] is pixel i
    std::uint8_t* out = PixelBytes(first, stride, i);
    for (int c = 0; c < 4; ++c) {
      float acc = kernel[0].lane[c] * b[0].lane[c];
      for (std::int32_t j = 1; j <= radius; ++j)
        acc = acc + kernel[j].lane[c] * (b[j].lane[c] + b[-j].lane[c]);
      out[c] = SaturateToByte(RoundToInt(acc));
    }
  }
}

const BlurKernels& ScalarBlurKernels() {
  static const BlurKernels table{&BlurLineScalar};
  return table;
}

const BlurKernels& BlurKernelsInUse() {
  if (UseAvx2Kernels()) return Avx2BlurKernels();
  return UseSse2Kernels() ? Sse2BlurKernels() : ScalarBlurKernels();
}

}  // namespace kestrimo
