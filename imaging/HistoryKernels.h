// The row loops of rebuilding a logo's pixels from earlier frames: a row of
// the history carried one frame on, through the camera's motion, by a
// bilinear read of the previous history that counts only the neighbours
// that hold a value; and a row of the work image mixed toward the history,
// by how many of each pixel's 3 x 3 neighbours hold one, so that the
// history and the fill meet without a seam.
//
// A history pixel is four work bytes, with an age byte beside it: the
// frames since that point of the scene was last in view, kNoHistory where
// it never was (or too long ago). Rows need no alignment.
#pragma once

#include <cstdint>

namespace kestrimo {

inline constexpr std::uint8_t kNoHistory = 255;

// Two rows of the previous history around a source row, and where the
// source columns of a row lie.
struct HistorySource {
  const std::uint32_t* above;  // the row at the source's whole row; null outside
  const std::uint32_t* below;  // the row under it; null outside
  const std::uint8_t* aboveAges;
  const std::uint8_t* belowAges;
  std::int32_t down;   // the weight of the lower row, 0..255
  std::int32_t width;  // the rows' pixels
  // Output pixel i reads the source at column (origin + ((start + i * step) >> 9)) / 256,
  // a fraction of 1/256; |start + i * step| stays below 2^31.
  std::int32_t origin, start, step;
};

struct HistoryKernels {
  // For each i < count with hidden[i] != 0: the four neighbours of pixel i's
  // source point, each with its bilinear weight, count where they lie in
  // the rows and hold a value. Where those hold at least half the weight,
  // values[i] is their weighted mean (each byte rounded) and ages[i] one
  // more than the oldest of them, kNoHistory beyond maxAge; elsewhere
  // ages[i] is kNoHistory and values[i] is left. Pixels with hidden[i] == 0
  // are left.
  void (*carryRow)(const HistorySource& source, const std::uint8_t* hidden, std::int32_t count,
                   std::int32_t maxAge, std::uint32_t* values, std::uint8_t* ages);
  // For i < count whose own age ages[1][i] holds a value: n = the neighbours
  // of pixel i among ages[r][i - 1 .. i + 1] (r = 0..2: the rows above, at
  // and below) that hold a value; each byte of work[i] becomes
  // (history byte * n + work byte * (9 - n) + 4) / 9. A pixel without a value
  // of its own is left: its history byte is whatever the frame showed there.
  // The age rows are read from index -1 to count.
  void (*mixRow)(const std::uint32_t* history, const std::uint8_t* const ages[3],
                 std::int32_t count, std::uint32_t* work);
};

void FillScalar(HistoryKernels& kernels);
void UpgradeToSse2(HistoryKernels& kernels);  // imaging/x86/HistorySse2.cpp
void UpgradeToAvx2(HistoryKernels& kernels);  // no AVX2 twins: the SSE2 ones stay

}  // namespace kestrimo
