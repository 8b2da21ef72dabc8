// What stays true of a logo over many frames, summed per pixel over frames
// sampled sparsely. For luma and both chroma planes: the sum of gradient
// vectors (their mean keeps a logo's outline, while the picture's own edges
// move and cancel out) and how often the gradient points each way by more
// than a few levels (a logo's edge always does). For luma also the sums of
// values and squares, and for chroma the sums of values: each pixel's mean
// colour and luma spread, for the logo's colour and opacity.
//
// Frames over a size (kHalvingPixels unless the caller says otherwise) are
// looked at in halves, each value the mean of a 2 x 2 block: a logo is tens
// of pixels across there, and the cost and memory drop fourfold, for a mask
// a little less close to the logo. Rows and columns below are of the statistics, Scale()
// frame pixels each.
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
  // Frames larger than this are halved by default; at most this many
  // pixels are looked at whole.
  static constexpr std::int64_t kHalvingPixels = std::int64_t{1280} * 720;
  static constexpr std::int64_t kMaxWholePixels = std::int64_t{2048} * 1536;
  // 40 bytes or so per pixel of the statistics: frames up to this size.
  static constexpr std::int64_t kMaxPixels = std::int64_t{4096} * 2304;
  // Gradient steps that count as pointing one way, in levels of 0..255.
  static constexpr int kLumaStep = 8;
  static constexpr int kChromaStep = 6;

  // Clears and sizes everything for frames of frameWidth x frameHeight in
  // the given FrameMode (YUY2 or bottom-up BGR24). False, with nothing kept,
  // when the size is out of range or memory is short.
  bool Start(std::int32_t frameWidth, std::int32_t frameHeight, std::int32_t mode,
             std::int64_t wholePixels = kHalvingPixels);
  // Adds rows [first, first + count) of the statistics (top-down, clipped to
  // Height()) from one frame whose rows lie `stride` bytes apart in memory
  // order. Rows that have kMaxSamples already are left as they are.
  void AddRows(const std::uint8_t* frame, std::ptrdiff_t stride, std::int32_t first,
               std::int32_t count);
  void AddFrame(const std::uint8_t* frame, std::ptrdiff_t stride) {
    AddRows(frame, stride, 0, height_);
  }

  std::int32_t Width() const { return width_; }
  std::int32_t Height() const { return height_; }
  std::int32_t FrameWidth() const { return frameWidth_; }
  std::int32_t FrameHeight() const { return frameHeight_; }
  // Frame pixels per pixel of the statistics, along each side: 1 or 2.
  std::int32_t Scale() const { return scale_; }
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
  void LoadHalvedRow(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* luma,
                     std::uint8_t* u, std::uint8_t* v, int chromaWidth);
  const std::uint8_t* RingRow(int plane, std::int32_t y) const;
  std::uint8_t* RingRow(int plane, std::int32_t y);
  void AddRow(std::int32_t y);

  std::int32_t width_ = 0;
  std::int32_t height_ = 0;
  std::int32_t frameWidth_ = 0;
  std::int32_t frameHeight_ = 0;
  std::int32_t scale_ = 1;
  std::int32_t mode_ = 0;
  const GradientKernels* kernels_ = nullptr;  // the set in use when started
  PlaneSums planes_[3];
  std::vector<std::uint8_t> rowSamples_;
  std::vector<std::uint8_t> ring_[3];   // three rows per plane, row y in slot y % 3
};

}  // namespace kestrimo
