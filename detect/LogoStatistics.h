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
// For luma, what tells a logo from scenery the camera keeps still: a logo
// stays on top while the picture around it changes, while scenery is hidden
// by what passes in front of it. Per pixel, the samples in which the pixels
// its gradient is taken from changed since the row's last sample, and of
// those the samples in which its gradient (luma or colour) pointed the way
// its sums point (the edge held) both then and at the row's last sample.
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
  // 45 bytes or so per pixel of the statistics: frames up to this size.
  static constexpr std::int64_t kMaxPixels = std::int64_t{4096} * 2304;
  // Gradient steps that count as pointing one way, in levels of 0..255.
  static constexpr int kLumaStep = 8;
  static constexpr int kChromaStep = 6;
  // A pixel's four neighbours changed when their luma moved by more than this
  // in sum since the row's last sample.
  static constexpr int kChangeLevel = 32;

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
  // Row y of the statistics read from a frame as AddRows reads it: luma of
  // Width() values, U and V of Plane(1).width each.
  void ReadRow(const std::uint8_t* frame, std::ptrdiff_t stride, std::int32_t y,
               std::uint8_t* luma, std::uint8_t* u, std::uint8_t* v) const;
  // Per luma pixel: samples in which its neighbours changed, and of those the
  // samples in which its edge held.
  const std::vector<std::uint8_t>& Changed() const { return changed_; }
  const std::vector<std::uint8_t>& Held() const { return held_; }

 private:
  // One frame row as Y, U and V in the ring of three rows.
  void LoadRow(const std::uint8_t* frame, std::ptrdiff_t stride, std::int32_t y);
  void LoadPlanes(const std::uint8_t* frame, std::ptrdiff_t stride, std::int32_t y);
  void LoadChange(std::int32_t y);
  void ClearChanges();
  void LoadHalvedRow(const std::uint8_t* a, const std::uint8_t* b, std::uint8_t* luma,
                     std::uint8_t* u, std::uint8_t* v, int chromaWidth) const;
  const std::uint8_t* RingRow(int plane, std::int32_t y) const;
  std::uint8_t* RingRow(int plane, std::int32_t y);
  void AddRow(std::int32_t y);
  void CountChanges(std::int32_t y);

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
  std::vector<std::uint8_t> changeRing_;  // |luma - previous| of the ring's luma rows
  std::vector<std::uint8_t> previous_;    // luma at each row's last sample
  std::vector<std::uint8_t> changed_;
  std::vector<std::uint8_t> held_;
  std::vector<std::uint8_t> heldBefore_;  // 1 where the edge held at the row's last sample
  std::vector<std::uint8_t> heldRow_[3];  // per plane: where the edge holds in this row now
};

}  // namespace kestrimo
