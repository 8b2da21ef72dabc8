// Taking a channel's blended logo out of the picture. The channel's logo
// model (colour and opacity per reference-raster pixel, placed like the mask
// picture) is scaled to the area at each rebuild into one pair of
// subtraction coefficients per frame sample, and into the removal alpha: the
// mask's alpha, lowered where the subtraction is trusted, so that the fill
// and blur show only where the logo is near opaque or no model covers it.
// Per frame only the subtraction runs, in the frame's own samples, before
// the area is lifted out.
#pragma once

#include <cstdint>
#include <string>

#include "base/FrameGeometry.h"
#include "base/ImageBuffer.h"
#include "base/Rect.h"
#include "base/ScratchArray.h"
#include "imaging/LogoSubtractKernels.h"
#include "mask/LogoModelPicture.h"

namespace kestrimo {

// Where the rebuilt area lies: the frame mask, its place in the frame and the
// part inside it, and the extent the model covers: the mask picture (or the
// rectangle), centred in the base mask. A model of the extent's size has
// one pixel per raster pixel; one of another size is stretched over the
// extent, so a model made at the area's frame size maps one to one.
struct RemovalArea {
  const ImageBuffer& frameMask;
  Size baseSize;      // the base mask, reference raster
  Size extent;        // the mask picture or rectangle, reference raster
  Point origin;       // the area's top-left pixel in the frame
  Rect visible;       // the part the mask's clipping left, area pixels
};

class LogoRemoval {
 public:
  // Opacity (of 255) up to which the subtraction is fully trusted, and from
  // which it is not used: the picture's noise and the model's errors grow
  // as 1 / (1 - opacity). Between the two the removal alpha ramps.
  static constexpr std::int32_t kTrustedOpacity = 204;    // 80 %
  static constexpr std::int32_t kUntrustedOpacity = 235;  // 92 %
  // A logo whose solid part (the median of the pixels at 60 % or more of
  // its highest opacity) is this opaque is filled as without a model: its
  // rim alone would be subtracted, where estimates are least sure.
  static constexpr std::int32_t kOpaqueLogo = 230;  // 90 %

  // Loads the channel's model. A file that cannot be read empties fileName
  // (the channel's LogoModelFile): the channel fills as without a model.
  // One that met a shortage of memory keeps its name, so that the next save
  // does not lose the user's model; the channel fills until the next load.
  void Load(std::string& fileName);

  // Derives the coefficients and the removal alpha for the part of the area
  // inside the frame; with no model loaded, or none of the area in the
  // frame, the removal is off. A model so fine against the area that a
  // footprint's sums would pass 63 bits is refused as well.
  void Rebuild(const RemovalArea& area, std::int32_t frameWidth, std::int32_t frameHeight,
               std::int32_t mode);
  void Clear() { active_ = mapped_ = kept_ = false; }

  // True when the frames of the channel go through Subtract and blend back
  // through RemovalAlpha instead of the frame mask.
  bool Active() const { return active_; }
  // True when the last rebuild placed a model over the area, whether or not
  // it is subtracted (an opaque logo is filled): ModelAt and the frame
  // rectangle below hold for frames of that rebuild's format.
  bool Mapped() const { return mapped_; }

  // The logo taken out of the frame's samples inside the area; true when
  // done, and the frame is then to be blended back through RemovalAlpha.
  // Nothing when the removal is off or the frame's format is not the one of
  // the last rebuild (a format change whose frames come without a channel).
  // With `keep`, the samples as delivered are kept for Restore and
  // DeliveredRow.
  bool Subtract(std::uint8_t* frame, const FrameGeometry& geometry, bool keep = false);
  // Puts back the samples that the last Subtract with `keep` took the logo out of.
  void Restore(std::uint8_t* frame) const;

  // The model over area pixel (x, y): its mean opacity (0..255) and its
  // colour in the frame's samples (Y, U, V or B, G, R).
  struct ModelSample {
    std::uint8_t opacity = 0;
    std::uint8_t colour[3] = {};
  };
  ModelSample ModelAt(std::int32_t x, std::int32_t y) const;
  // The median opacity of the model's solid part (its pixels at 60 % or
  // more of its highest opacity); 0 for a model without a logo.
  std::int32_t SolidOpacity() const;
  // The frame pixels the model's samples cover (top-down), and the frame
  // column of each row's first sample.
  const Rect& FrameRect() const { return frameRect_; }
  std::int32_t FirstColumn() const { return firstColumn_; }
  // Frame row fy's samples from FirstColumn() as the host delivered them:
  // kept ones when the last Subtract kept them, else the frame's own.
  const std::uint8_t* DeliveredRow(const std::uint8_t* frame, std::int32_t fy) const;
  // Frame row fy's samples from FirstColumn() as they are now.
  const std::uint8_t* FrameSamples(const std::uint8_t* frame, std::int32_t fy) const {
    return FrameRow(const_cast<std::uint8_t*>(frame), fy);
  }
  std::uint8_t* FrameSamples(std::uint8_t* frame, std::int32_t fy) const {
    return FrameRow(frame, fy);
  }
  // Bytes per frame pixel of the last rebuild's format.
  std::int32_t SampleBytes() const { return mode_ == kFrameModeYuy2 ? 2 : 3; }

  LogoModelPicture Model;
  ImageBuffer RemovalAlpha;  // the frame mask's size and colours

 private:
  // Sums over a frame pixel's footprint in the raster, in units whose whole
  // is `total`: covered by the model, opacity, opacity times each sample.
  struct Footprint {
    std::int64_t total = 0, covered = 0, opacity = 0, colour[3] = {};
    void Add(const Footprint& other);
  };
  // One axis of the area against the model, in whole units: area pixel p
  // covers [p * pixel, (p + 1) * pixel), model cell j [origin + j * cell,
  // origin + (j + 1) * cell).
  struct ModelAxis {
    std::int64_t pixel = 1, origin = 0, cell = 1;
    std::int32_t cells = 0;
    bool Map(std::int32_t base, std::int32_t extent, std::int32_t area, std::int32_t modelCells);
  };
  Footprint FootprintOf(std::int32_t x, std::int32_t y) const;
  bool PrepareModel(std::int32_t mode);
  bool Subtractable() const;
  static std::int32_t Trust(const Footprint& f);
  static SubtractCoefficient CoefficientOf(const Footprint& f, int channel);
  void FillYuvRow(std::int32_t y, const RemovalArea& area, SubtractCoefficient* row) const;
  void FillBgrRow(std::int32_t y, const RemovalArea& area, SubtractCoefficient* row) const;
  void LowerAlpha(const RemovalArea& area);

  std::uint8_t* FrameRow(std::uint8_t* frame, std::int32_t fy) const;

  bool active_ = false;
  bool mapped_ = false;
  bool kept_ = false;             // the last Subtract kept the delivered samples
  std::int32_t mode_ = 0;
  std::int32_t frameWidth_ = 0, frameHeight_ = 0;
  Size areaSize_;
  ModelAxis axisX_, axisY_;
  Rect frameRect_;              // frame pixels covered by the coefficients
  std::int32_t firstColumn_ = 0;  // frame column of each row's first sample
  std::int32_t samplesPerRow_ = 0;
  ScratchArray<SubtractCoefficient> coefficients_;
  ScratchArray<std::uint8_t> samples_;  // per model pixel: opacity and 3 samples
  ScratchArray<std::uint8_t> delivered_;  // the samples under the coefficients, as delivered
};

}  // namespace kestrimo
