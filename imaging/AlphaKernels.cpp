#include "imaging/AlphaKernels.h"

namespace kestrimo {
namespace {

constexpr std::uint32_t kColourBits = 0x00FFFFFF;
constexpr std::uint32_t kAlphaBits = 0xFF000000;

void CopyAlphaToByte2(const std::uint8_t* mask, std::uint8_t* work, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) work[4 * i + 2] = mask[4 * i + 3];
}

void CopyAlphaToByte3(const std::uint8_t* mask, std::uint8_t* work, std::int32_t count) {
  for (std::int32_t i = 0; i < count; ++i) work[4 * i + 3] = mask[4 * i + 3];
}

void SetAlphaOutsideKey(std::uint8_t* row, std::int32_t count, std::uint32_t key,
                        std::uint8_t alpha) {
  for (std::int32_t i = 0; i < count; ++i) {
    const std::uint32_t pixel = LoadPixel32(row + 4 * i);
    if ((pixel & kColourBits) != key)
      StorePixel32(row + 4 * i, (pixel & kColourBits) | std::uint32_t{alpha} << 24);
  }
}

void RecolourVisible(std::uint8_t* row, std::int32_t count, std::uint32_t key) {
  for (std::int32_t i = 0; i < count; ++i) {
    const std::uint32_t pixel = LoadPixel32(row + 4 * i);
    if ((pixel & kAlphaBits) != 0) StorePixel32(row + 4 * i, (pixel & kAlphaBits) | key);
  }
}

void StampKey(const std::uint8_t* src, std::uint8_t* dst, std::int32_t count,
              std::uint32_t opaqueKey, bool invert) {
  for (std::int32_t i = 0; i < count; ++i) {
    const bool isKey = LoadPixel32(src + 4 * i) == opaqueKey;
    if (isKey != invert) StorePixel32(dst + 4 * i, opaqueKey);
  }
}

}  // namespace

void FillScalar(AlphaKernels& kernels) {
  kernels = {CopyAlphaToByte2, CopyAlphaToByte3, SetAlphaOutsideKey, RecolourVisible, StampKey};
}

}  // namespace kestrimo
