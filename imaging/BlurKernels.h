// The line step of the separable Gaussian blur: one row or column of 32-bit
// pixels is widened into a float line buffer with its ends replicated, then
// convolved with a symmetric kernel and stored back, four channels at once.
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

struct BlurKernels {
  BlurLineFn blurLine;
};

const BlurKernels& ScalarBlurKernels();
const BlurKernels& Sse2BlurKernels();
const BlurKernels& Avx2BlurKernels();
// The best table the processor and the kernel choice allow.
const BlurKernels& BlurKernelsInUse();

// The scalar reference, also used directly by tests.
void BlurLineScalar(std::uint32_t* first, std::ptrdiff_t stride, std::int32_t count,
                    const BlurEntry* kernel, std::int32_t radius, BlurEntry* buffer);

}  // namespace kestrimo
