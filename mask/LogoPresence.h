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
// instead. The frames are also weighed tile by tile: as delivered, a tile
// whose share of the logo stays far from the whole 1, and after the
// subtraction, one that still shows much in the logo's shape, hold a part
// of the logo the model no longer fits (a channel that changed a part of its
// logo). That part falls back toward the fill while the rest is still
// subtracted, and the decision whether the logo is shown goes by the tiles
// that fit.
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
  // Side of the square tiles of the frame rectangle whose fit is judged
  // apart, and the least logo pixels a tile needs to judge it at all.
  static constexpr std::int32_t kTileSide = 16;
  static constexpr std::int64_t kMinTileLogo = 8;
  // Percent a tile's share of the logo may be off the whole 1 and still fit:
  // a model estimated from a broadcast errs by up to about 100 % in parts
  // whose subtraction still beats the fill; one that no longer fits a part
  // sees a negative share there, or several times the logo.
  static constexpr std::int64_t kTileFitPercent = 200;
  // Percent of a white logo of the model's shape that the subtraction may
  // leave (or add) in a tile and still fit it.
  static constexpr std::int64_t kTileResidualPercent = 100;
  // Each tile's weight toward the fill, of kFullFallback: a tile the model
  // does not fit falls back at once, and one that fits again (or cannot
  // tell) returns over kFullFallback / kFallbackReturn frames, so that a
  // tile on the edge does not flicker.
  static constexpr std::int32_t kFullFallback = 256;
  static constexpr std::int32_t kFallbackReturn = 32;
  // A tile is judged on its sums over the frames that showed the logo, each
  // frame's weight falling by 1 / 2^kTileMemoryShift per frame (about the
  // last 8): the picture under a logo on a busy picture sways a single
  // frame's share, while a part the model no longer fits stays off.
  static constexpr int kTileMemoryShift = 3;

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
  // The tiles over the removal's frame rectangle, row by row, and their
  // weights toward the fill (0..kFullFallback); Falling() when any is above 0.
  Rect FrameRect() const { return rect_; }
  std::int32_t TilesAcross() const { return tilesAcross_; }
  std::int32_t TilesDown() const { return tilesDown_; }
  const std::int32_t* FallbackWeights() const { return fallback_.Data(); }
  bool Falling() const { return falling_; }

  // The weights of the last frame, for tests and tuning.
  const PresenceSums& Delivered() const { return delivered_; }
  const PresenceSums& Subtracted() const { return subtracted_; }

 private:
  std::int16_t* DifferenceRow(std::int32_t r) const;  // row r of rect_, -1..height
  std::int16_t* ExpectedRow(std::int32_t r) const;
  const std::uint8_t* FillRow(ConstImageView work, std::int32_t fy) const;
  PresenceSums Weigh(const LogoRemoval& removal, const std::uint8_t* frame, ConstImageView work,
                     bool delivered, bool white, PresenceSums* tiles) const;
  PresenceSums SumWhole() const;
  PresenceSums SumTiles(PresenceSums* tiles) const;
  bool RebuildTiles();
  void Decide(const PresenceSums& sums);
  PresenceSums FittingTiles() const;
  void JudgeTiles(bool shownNow);
  static bool Remember(const PresenceSums& sums, PresenceSums& memory, std::int64_t logo);
  void NotWholly(std::int32_t r, std::int32_t i);
  static bool Fits(const PresenceSums& sums, std::int64_t percent = kFitPercent);

  bool ready_ = false;
  bool shown_ = true;
  bool fits_ = true;
  bool falling_ = false;
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
  std::int32_t tilesAcross_ = 0, tilesDown_ = 0;
  ScratchArray<std::int32_t> tileLogo_;   // logo pixels per tile
  ScratchArray<PresenceSums> tileSums_;   // of the last frame as delivered
  ScratchArray<PresenceSums> residualSums_;  // after the subtraction, a white logo's
  // Of the frames before, fading: the delivered tiles', then the residual ones'.
  ScratchArray<PresenceSums> tileMemory_;
  ScratchArray<std::uint8_t> white_;  // a white logo's colour, one row
  ScratchArray<std::uint8_t> wholly_;  // per tile: no pixel near it left to the fill alone
  ScratchArray<std::int32_t> fallback_;   // weight toward the fill per tile
};

}  // namespace kestrimo
