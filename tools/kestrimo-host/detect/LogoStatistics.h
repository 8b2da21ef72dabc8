// Per-pixel brightness statistics over the frames looked at: how much each
// pixel changes in time, as the spread of its values and as its mean change
// from one frame looked at to the next. The second tells a pixel that keeps
// changing from one whose values merely turn back (the crest of a passing
// wave), which has a small spread too.
#pragma once

#include <cstdint>
#include <vector>

namespace kestrimo {

class LogoStatistics {
 public:
  // Sums stay exact in 32 bits up to this many frames; later ones are ignored.
  static constexpr std::int32_t kMaxSamples = 4096;

  // Starts over for planes of width x height (both at least 1).
  void Reset(int width, int height);
  // Adds one luma plane of width x height bytes, rows top-down.
  void Add(const std::uint8_t* luma);

  int Width() const { return width_; }
  int Height() const { return height_; }
  std::int32_t Samples() const { return samples_; }

  // Standard deviation in time of every pixel's luma (0 before two samples).
  std::vector<float> Deviations() const;
  // Mean luma of every pixel: the picture that stays, logos included.
  std::vector<float> Means() const;
  // Mean absolute change of every pixel's luma between consecutive planes
  // added (0 before two samples).
  std::vector<float> Changes() const;

 private:
  int width_ = 0;
  int height_ = 0;
  std::int32_t samples_ = 0;
  std::vector<std::uint32_t> sum_;
  std::vector<std::uint32_t> sumOfSquares_;
  std::vector<std::uint32_t> sumOfChanges_;
  std::vector<std::uint8_t> previous_;
};

}  // namespace kestrimo
