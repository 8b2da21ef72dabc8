// Whether the frames of a channel show its logo now. A channel drops its
// logo for advertising and between programmes; the removal must then leave
// the frames as they are, and take up again as soon as the logo is back.
//
// Each frame is weighed against what the model knows of the logo: over its
// pixels, the frame's difference from the fill of the area (the picture as
// the surroundings suggest it) against the logo's expected difference, the
// model's opacity times its colour's distance from the fill. Their ratio is
// the share of the logo the frame shows: about 1 with the logo, about 0
// without it. A frame whose fill comes too close to the logo's colour (a
// white logo in a white flash) cannot tell, and the decision holds; so
// does a frame between the two thresholds, so that a cut or a fade does
// not make the removal flicker.
//
// The same weighing of the frame after the subtraction tells whether the
// model still fits: what the subtraction leaves of the logo should be
// nothing, and a frame that shows much of it, or of its negative, is filled
// instead.
#pragma once

#include <cstdint>

#include "base/FrameGeometry.h"
#include "base/ImageView.h"
#include "base/Rect.h"
#include "base/ScratchArray.h"
#include "imaging/LogoPresenceKernels.h"
#include "mask/LogoRemoval.h"

namespace kestrimo {

class LogoPresence {
 public:
  // Percent of the logo a frame must show to count for it, and may show at
  // most to count against it.
  static constexpr std::int64_t kShownPercent = 50;
  static constexpr std::int64_t kAbsentPercent = 25;
  // Frames in a row that must agree before the decision changes. One: the
  // shares of frames with and without the logo lie far apart on real
  // pictures, and a frame processed without its logo (its negative printed
  // into an ad) is worse than one left with it.
  static constexpr std::int32_t kFramesToShow = 1;
  static constexpr std::int32_t kFramesToHide = 1;
  // Below this root mean square of the expected difference's gradient per
  // logo pixel (levels) the frame cannot tell.
  static constexpr std::int64_t kMinContrast = 3;
  // Percent of the logo the subtraction may leave (or overshoot by) and
  // still count as fitting the frame.
  static constexpr std::int64_t kFitPercent = 50;

  // Takes the model's key samples (luma of 4:2:2, green of BGR) over the
  // removal's frame rectangle; the logo counts as shown until frames say
  // otherwise. Not ready when the removal has no model placed, or memory is short.
  void Rebuild(const LogoRemoval& removal, Point areaOrigin, const FrameGeometry& geometry);
  void Clear() { ready_ = false; }
  // True when Look can weigh frames of the given geometry.
  bool Ready(const FrameGeometry& geometry) const {
    return ready_ && geometry.width == width_ && geometry.height == height_ &&
           geometry.mode == mode_;
  }

  // Weighs one frame: the samples the host delivered and, after a
  // subtraction, the subtracted ones against the fill in the work view (the
  // area in the layout of the frame mode, fill and blur done). Returns the
  // decision after it.
  bool Look(const LogoRemoval& removal, const std::uint8_t* frame, const FrameGeometry& geometry,
            ConstImageView work, bool subtracted);

  bool Shown() const { return shown_; }
  // False when the last frame looked at showed the subtraction leaving
  // more than kFitPercent of the logo, or taking out that much too much.
  bool SubtractionFits() const { return fits_; }

  // The weights of the last frame, for tests and tuning.
  const PresenceSums& Delivered() const { return delivered_; }
  const PresenceSums& Subtracted() const { return subtracted_; }

 private:
  std::int16_t* DifferenceRow(std::int32_t r) const;  // row r of rect_, -1..height
  std::int16_t* ExpectedRow(std::int32_t r) const;
  const std::uint8_t* FillRow(ConstImageView work, std::int32_t fy) const;
  PresenceSums Weigh(const LogoRemoval& removal, const std::uint8_t* frame, ConstImageView work,
                     bool delivered) const;
  void Decide(const PresenceSums& sums);

  bool ready_ = false;
  bool shown_ = true;
  bool fits_ = true;
  std::int32_t agreeing_ = 0;  // frames in a row against the decision
  std::int32_t mode_ = 0, width_ = 0, height_ = 0;  // the frames of the rebuild
  Point origin_;
  Rect rect_;                  // the removal's frame rectangle
  std::int32_t pitch_ = 0;     // of the difference rows: rect_'s width and a column each side
  std::int64_t logoPixels_ = 0;
  PresenceSums delivered_, subtracted_;
  ScratchArray<std::uint8_t> opacity_;  // per pixel of rect_, rows top-down
  ScratchArray<std::uint8_t> colour_;
  // d and e of the frame last weighed over rect_, in a border of zeros.
  ScratchArray<std::int16_t> difference_, expected_;
};

}  // namespace kestrimo
