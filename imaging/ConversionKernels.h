// The row routines of the frame conversion: one frame row (packed 4:2:2 or
// 24-bit BGR) to one row of 32-bit work pixels, and one row of 32-bit pixels
// blended back over a frame row with per-pixel alpha and a global opacity.
//
// Fixed-point formulas, reproduced bit for bit by every implementation
// (floor is toward minus infinity, clamp limits to 0..255):
//   4:2:2 to BGR, u = (U - 128) * 16, v = (V - 128) * 16:
//     B = clamp(Y + floor(u * 7258 / 65536))
//     G = clamp(Y + floor(u * -1410 / 65536) + floor(v * -2925 / 65536))
//     R = clamp(Y + floor(v * 5743 / 65536))
//   BGR to YUV:
//     Y = clamp((3735 B + 19235 G + 9798 R) >> 15)
//     U = clamp(floor((16384 B - 10855 G - 5529 R) / 32768) + 128)
//     V = clamp(floor((-2664 B - 13720 G + 16384 R) / 32768) + 128)
//   blend of source S over frame D with alpha A and opacity scale p:
//     a = A + (A >> 7); t = floor((S - D) * a / 256); t = floor(t * p / 256);
//     result = clamp(D + t)
#pragma once

#include <cstdint>

namespace kestrimo {

// Converts `count` pixels of a frame row into `work` (4 bytes per pixel, any
// alignment). In 4:2:2 rows `frame` points at the group holding the first
// pixel; with `oddStart` that pixel is the group's second one. The frame side
// is always read in whole groups. BGR rows ignore `oddStart`.
using ExtractRowFn = void (*)(const std::uint8_t* frame, std::uint8_t* work, std::int32_t count,
                              bool oddStart);

// Blends `count` 32-bit source pixels over a frame row, `opacityScale` being
// p = floor(opacity * 256 / 100) in 0..256. In 4:2:2 rows a single pixel at
// an odd start changes only its group's Y1, one at the row's end only the
// group's Y0, U and V.
using WriteBackRowFn = void (*)(std::uint8_t* frame, const std::uint8_t* source,
                                std::int32_t count, bool oddStart, std::int32_t opacityScale);

// As WriteBackRowFn, the blend alpha of each pixel coming from byte 3 of the
// pixel at the same place in `alpha` (a row of a 32-bit B, G, R, A image)
// instead of from the source pixel, whose alpha byte is not read: the alpha
// copy and the write-back in one pass.
using SeparateAlphaWriteBackRowFn = void (*)(std::uint8_t* frame, const std::uint8_t* source,
                                             const std::uint8_t* alpha, std::int32_t count,
                                             bool oddStart, std::int32_t opacityScale);

struct ConversionKernels {
  // 4:2:2 frame rows to the four work layouts.
  ExtractRowFn yuy2ToYuv;       // Y, U, Y, V
  ExtractRowFn yuy2ToYuvAlpha;  // Y, U, 255, V
  ExtractRowFn yuy2ToBgrLuma;   // B, G, R, Y
  ExtractRowFn yuy2ToBgrAlpha;  // B, G, R, 255
  // BGR frame rows to the four work layouts.
  ExtractRowFn bgrToYuv;
  ExtractRowFn bgrToYuvAlpha;
  ExtractRowFn bgrToBgrLuma;
  ExtractRowFn bgrToBgrAlpha;
  // Blends back: Y, U, A, V over 4:2:2; B, G, R, A over 4:2:2; B, G, R, A over BGR.
  WriteBackRowFn yuvAlphaOverYuy2;
  WriteBackRowFn bgrAlphaOverYuy2;
  WriteBackRowFn bgrAlphaOverBgr;
  // The same from Y, U, -, V and B, G, R, - with the alpha from another row:
  // yuvAlphaOverYuy2 and bgrAlphaOverBgr on the source with that alpha copied in.
  SeparateAlphaWriteBackRowFn yuvOverYuy2SeparateAlpha;
  SeparateAlphaWriteBackRowFn bgrOverBgrSeparateAlpha;
};

// The scalar references, then the twins laid over them (imaging/Kernels.h):
// SSE2 for every routine, AVX2 for the write-backs and most extractions.
void FillScalar(ConversionKernels& kernels);
void UpgradeToSse2(ConversionKernels& kernels);  // imaging/x86/ConversionSse2.cpp
void UpgradeToAvx2(ConversionKernels& kernels);  // imaging/x86/ConversionAvx2.cpp

// p = floor(percent * 256 / 100), the percentage first limited to 0..100.
std::int32_t OpacityScale(std::int32_t percent);

}  // namespace kestrimo
