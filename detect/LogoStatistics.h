// What stays true of a logo over many frames, summed per pixel over frames
// sampled sparsely. For luma and both chroma planes: the sum of gradient
// vectors (their mean keeps a logo's outline, while the picture's own edges
// move and cancel out) and how often the gradient points each way by more
// than a few levels (a logo's edge always does). For luma also the sums of
// values and squares, and for chroma the sums of values: each pixel's mean
// colour and luma spread, for the logo's colour and opacity.
//
// Every buffer is allocated by Start; adding frames allocates nothing and
// costs a fixed amount per row, so a caller may add a whole frame or a band
// of rows per frame. Each row counts its own samples.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "imaging/GradientKernels.h"

namespace kestrimo {

// The sums of one plane (luma at full width, chroma at half width).
struct PlaneSums {
  int width = 0;
  std::vector<std::int32_t> gradientX;  // sum of x[i + 1] - x[i - 1]
  std::vector<std::int32_t> gradientY;  // sum of the row below less the row above
  // Samples in which the gradient points +x, -x, +y, -y by more than the threshold.
  std::vector<std::uint8_t> towards[4];
  std::vector<std::uint32_t> values;
  std::vector<std::uint32_t> squares;   // luma only
};

class LogoStatistics {
 public:
  // Counts are kept in bytes: a row stops counting at this many samples.
  static constexpr std::int32_t kMaxSamples = 255;
  // 40 bytes or so per pixel: frames up to this size.
  static constexpr std::int64_t kMaxPixels = std::int64_t{2048} * 1536;
  // Gradient steps that count as pointing one way, in levels of 0..255.
  static constexpr int kLumaStep = 8;
  static constexpr int kChromaStep = 6;

  // Clears and sizes everything for frames of width x height in the given
  // FrameMode (YUY2 or bottom-up BGR24). False, with nothing kept, when the
  // size is out of range or memory is short.
  bool Start(std::int32_t width, std::int32_t height, std::int32_t mode);
  // Adds rows [first, first + count) of one frame (top-down row numbers,
  // clipped to the frame) whose rows lie `stride` bytes apart in memory
  // order. Rows that have kMaxSamples already are left as they are.
  void AddRows(const std::uint8_t* frame, std::ptrdiff_t stride, std::int32_t first,
               std::int32_t count);
  void AddFrame(const std::uint8_t* frame, std::ptrdiff_t stride) {
    AddRows(frame, stride, 0, height_);
  }

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  std::int32_t Mode() const { return mode_; }
  // Samples added to row y.
  std::int32_t RowSamples(std::int32_t y) const { return rowSamples_[y]; }
  // The fewest samples of any row (0 before Start).
  std::int32_t Samples() const;
  // Plane 0 is luma, 1 and 2 are U and V at half width.
  const PlaneSums& Plane(int plane) const { return planes_[plane]; }

 private:
  // One frame row as Y, U and V in the ring of three rows.
  void LoadRow(const std::uint8_t* frame, std::ptrdiff_t stride, std::int32_t y);
  const std::uint8_t* RingRow(int plane, std::int32_t y) const;
  std::uint8_t* RingRow(int plane, std::int32_t y);
  void AddRow(std::int32_t y);

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t mode_ = 0;
  const GradientKernels* kernels_ = nullptr;  // the set in use when started
  PlaneSums planes_[3];
  std::vector<std::uint8_t> rowSamples_;
  std::vector<std::uint8_t> ring_[3];   // three rows per plane, row y in slot y % 3
};

}  // namespace kestrimo
