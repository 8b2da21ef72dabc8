// The line steps of the separable Gaussian blur: one row or column of 32-bit
// pixels is widened into a float line buffer with its ends replicated, then
// convolved with a symmetric kernel and stored back, four channels at once.
// The column step does the same for blocks of neighbouring columns at once,
// so that it reads and writes whole runs of each row.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrimo {

// One pixel widened to four floats (byte i to lane i), or one kernel weight
// repeated for the four channels. Arrays of entries are 16-byte aligned.
struct alignas(16) BlurEntry {
  float lane[4];
};
static_assert(sizeof(BlurEntry) == 16);

// Blurs `count` pixels starting at `first`, `stride` pixels apart (1 along a
// row, +-allocWidth down a column). `kernel` holds weights 0..radius;
// `buffer` must hold count + 2 * radius entries. For each pixel i:
//   acc = k0 * b[i]; acc = acc + kj * (b[i + j] + b[i - j]) for j = 1..radius,
// then rounded to nearest-even, saturated to int16 and to 0..255.
using BlurLineFn = void (*)(std::uint32_t* first, std::ptrdiff_t stride, std::int32_t count,
                            const BlurEntry* kernel, std::int32_t radius,
                            BlurEntry* buffer);

// Blurs `width` neighbouring columns of `count` pixels each: the first
// column's top pixel at `top`, each next row `down` pixels on. Works on
// blocks of up to kBlurColumnBlock neighbouring columns, row by row: a block
// of w columns is widened into `buffer` (count + 2 * radius rows of w
// entries, ends replicated per column) and every pixel gets exactly what
// the line step gives for its column. The blocks are narrowed to what
// `capacity` entries hold; nothing is done unless one column fits.
using BlurColumnsFn = void (*)(std::uint32_t* top, std::ptrdiff_t down, std::int32_t width,
                               std::int32_t count, const BlurEntry* kernel, std::int32_t radius,
                               BlurEntry* buffer, std::int32_t capacity);

inline constexpr std::int32_t kBlurColumnBlock = 8;

struct BlurKernels {
  BlurLineFn blurLine;
  BlurColumnsFn blurColumns;
};

// The scalar references, then the twins laid over them (imaging/Kernels.h).
void FillScalar(BlurKernels& kernels);
void UpgradeToSse2(BlurKernels& kernels);  // imaging/x86/BlurSse2.cpp
void UpgradeToAvx2(BlurKernels& kernels);  // imaging/x86/BlurAvx2.cpp

// The scalar references, also used directly by tests.
void BlurLineScalar(std::uint32_t* first, std::ptrdiff_t stride, std::int32_t count,
                    const BlurEntry* kernel, std::int32_t radius, BlurEntry* buffer);
void BlurColumnsScalar(std::uint32_t* top, std::ptrdiff_t down, std::int32_t width,
                       std::int32_t count, const BlurEntry* kernel, std::int32_t radius,
                       BlurEntry* buffer, std::int32_t capacity);

// The block width the column step uses: at most `widest` columns, as many
// as `capacity` entries hold (0 when not even one column fits).
std::int32_t BlurColumnBlockWidth(std::int32_t widest, std::int32_t count, std::int32_t radius,
                                  std::int32_t capacity);

}  // namespace kestrimo
