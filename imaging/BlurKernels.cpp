#include "imaging/BlurKernels.h"

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

// acc = k0 * b[0]; acc = acc + kj * (b[j] + b[-j]) for j = 1..radius, entries
// `pitch` apart, rounded and saturated per channel.
void ConvolvePixel(const BlurEntry* b, std::ptrdiff_t pitch, const BlurEntry* kernel,
                   std::int32_t radius, std::uint8_t* out) {
  for (int c = 0; c < 4; ++c) {
    float acc = kernel[0].lane[c] * b[0].lane[c];
    for (std::int32_t j = 1; j <= radius; ++j)
      acc = acc + kernel[j].lane[c] * (b[j * pitch].lane[c] + b[-j * pitch].lane[c]);
    out[c] = SaturateToByte(RoundToInt(acc));
  }
}

// Rows of `w` entries: R copies of the top row, the column block's rows,
// R copies of the bottom row.
void FillBlock(BlurEntry* buffer, std::uint32_t* top, std::ptrdiff_t down, std::int32_t w,
               std::int32_t count, std::int32_t radius) {
  for (std::int32_t i = 0; i < count; ++i)
    for (std::int32_t c = 0; c < w; ++c)
      Widen(buffer[(radius + i) * w + c], PixelBytes(top + c, down, i));
  for (std::int32_t j = 0; j < radius; ++j)
    for (std::int32_t c = 0; c < w; ++c) {
      buffer[j * w + c] = buffer[radius * w + c];
      buffer[(radius + count + j) * w + c] = buffer[(radius + count - 1) * w + c];
    }
}

}  // namespace

std::int32_t BlurColumnBlockWidth(std::int32_t widest, std::int32_t count, std::int32_t radius,
                                  std::int32_t capacity) {
  const std::int64_t rows = std::int64_t{count} + 2 * std::int64_t{radius};
  if (rows <= 0 || capacity <= 0) return 0;
  const std::int64_t fits = capacity / rows;
  return static_cast<std::int32_t>(fits < widest ? fits : widest);
}

void BlurLineScalar(std::uint32_t* first, std::ptrdiff_t stride, std::int32_t count,
                    const BlurEntry* kernel, std::int32_t radius, BlurEntry* buffer) {
  if (first == nullptr || kernel == nullptr || buffer == nullptr || count <= 0 || radius < 0)
    return;
  FillLine(buffer, first, stride, count, radius);
  for (std::int32_t i = 0; i < count; ++i)  // buffer[radius + i] is pixel i
    ConvolvePixel(buffer + radius + i, 1, kernel, radius, PixelBytes(first, stride, i));
}

void BlurColumnsScalar(std::uint32_t* top, std::ptrdiff_t down, std::int32_t width,
                       std::int32_t count, const BlurEntry* kernel, std::int32_t radius,
                       BlurEntry* buffer, std::int32_t capacity) {
  if (top == nullptr || kernel == nullptr || buffer == nullptr || width <= 0 || count <= 0 ||
      radius < 0)
    return;
  const std::int32_t block = BlurColumnBlockWidth(kBlurColumnBlock, count, radius, capacity);
  if (block == 0) return;
  for (std::int32_t x = 0; x < width; x += block) {
    const std::int32_t w = block < width - x ? block : width - x;
    FillBlock(buffer, top + x, down, w, count, radius);
    for (std::int32_t i = 0; i < count; ++i)
      for (std::int32_t c = 0; c < w; ++c)  // buffer row radius + i is pixel row i
        ConvolvePixel(buffer + (radius + i) * w + c, w, kernel, radius,
                      PixelBytes(top + x + c, down, i));
  }
}

void FillScalar(BlurKernels& kernels) { kernels = {&BlurLineScalar, &BlurColumnsScalar}; }

}  // namespace kestrimo
