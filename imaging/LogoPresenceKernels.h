// The row passes that tell how strongly a frame shows a known logo. Where a
// logo of colour L lies at opacity a over the picture, a frame shows
// s = a L + (1 - a) B; the fill w estimates B from the area's surroundings.
// The logo's expected difference from the fill is e = a (L - w), the frame's
// is d = s - w. Their gradients are compared rather than the values: the
// fill misses the picture's own shapes by amounts that change slowly across
// the area, while a logo's outline is sharp. The inner product of the two
// gradients against the energy of e's gradient is the share of the logo
// the frame shows (1 shown, 0 absent); the energy says whether the frame
// can tell at all (a white logo over a white flash cannot be seen).
//
// Each pixel gives one key sample (luma, or green), read where it lies: in
// a frame row every 2 bytes (YUY2) or 3 (BGR), in a work row every 4; a is
// 0..255, one byte per pixel.
#pragma once

#include <cstdint>

namespace kestrimo {

inline constexpr int kPresenceOpacityShift = 8;  // e = (a (L - w)) >> 8

struct PresenceSums {
  std::int64_t match = 0;   // sum of grad d . grad e
  std::int64_t energy = 0;  // sum of grad e . grad e
};

// Rows longer than this are summed in pieces of it, so that the twins'
// 32-bit lanes cannot overflow.
inline constexpr std::int32_t kPresenceMaxRow = 4096;

struct LogoPresenceKernels {
  // For i < count, with s = shown[i * shownStep] and w = fill[i * fillStep]:
  // difference[i] = s - w and expected[i] = (opacity[i] * (colour[i] - w)) >> 8
  // (floor). The twins take the steps of YUY2 frames (2 and 4); other steps
  // go through the reference.
  void (*differenceRow)(const std::uint8_t* shown, std::int32_t shownStep,
                        const std::uint8_t* fill, std::int32_t fillStep,
                        const std::uint8_t* opacity, const std::uint8_t* colour,
                        std::int32_t count, std::int16_t* difference, std::int16_t* expected);
  // For i < count (at most kPresenceMaxRow), with central differences
  // dx = d[i + 1] - d[i - 1], dy = below[i] - above[i] of the difference
  // rows d and of the expected rows e alike (so d[-1] and d[count] are
  // read): adds dx(d) dx(e) + dy(d) dy(e) to sums->match and
  // dx(e)^2 + dy(e)^2 to sums->energy.
  void (*sumRow)(const std::int16_t* differenceAbove, const std::int16_t* difference,
                 const std::int16_t* differenceBelow, const std::int16_t* expectedAbove,
                 const std::int16_t* expected, const std::int16_t* expectedBelow,
                 std::int32_t count, PresenceSums* sums);
};

void FillScalar(LogoPresenceKernels& kernels);
void UpgradeToSse2(LogoPresenceKernels& kernels);  // imaging/x86/LogoPresenceSse2.cpp
void UpgradeToAvx2(LogoPresenceKernels& kernels);  // imaging/x86/LogoPresenceAvx2.cpp

}  // namespace kestrimo
