// Where the presence check finds that the logo model no longer fits a part
// of the logo (a channel that changed that part, or a model gone wrong
// there), the subtraction gives way to the fill in that part alone: the
// frame's samples go back toward those the host delivered, and the blend
// back toward the frame mask's alpha, each pixel by its weight toward the
// fill. The weights are spread between the tiles' centres, a tile that
// falls back taking its neighbours' near halves with it, so that no seam
// shows where the subtraction and the fill meet.
#pragma once

#include <cstdint>

#include "base/ImageBuffer.h"
#include "base/Rect.h"
#include "base/ScratchArray.h"
#include "mask/LogoPresence.h"
#include "mask/LogoRemoval.h"

namespace kestrimo {

class SubtractionFallback {
 public:
  // Weights per pixel, of kFull: 0 keeps the subtraction, kFull the fill.
  static constexpr std::int32_t kFull = LogoPresence::kFullFallback;

  // Room for the presence's tiles and for an alpha of the removal alpha's
  // size; false when memory is short, and Apply then does nothing.
  bool Rebuild(const LogoRemoval& removal, const LogoPresence& presence);
  void Clear() { ready_ = false; }

  // After a subtraction that kept the delivered samples and a look that
  // judged its tiles: the samples and the alpha mixed by the weights.
  // Returns the alpha to blend back through: Alpha when some part falls
  // back, else the removal alpha.
  const ImageBuffer& Apply(std::uint8_t* frame, const LogoRemoval& removal,
                           const LogoPresence& presence, const ImageBuffer& frameMask,
                           Point areaOrigin);

  ImageBuffer Alpha;  // the removal alpha mixed toward the frame mask's

 private:
  void Spread(const LogoPresence& presence);
  // Each pixel's weight toward the fill in row r of the frame rectangle.
  void RowWeights(std::int32_t r, std::int32_t* weights) const;
  void MixSamples(std::uint8_t* frame, const LogoRemoval& removal, std::int32_t fy,
                  const std::int32_t* weights) const;
  void MixAlpha(const LogoRemoval& removal, const ImageBuffer& frameMask, Point areaOrigin,
                std::int32_t fy, std::int32_t* weights);

  bool ready_ = false;
  Rect rect_;                          // the removal's frame rectangle
  std::int32_t across_ = 0, down_ = 0;  // tiles
  ScratchArray<std::int32_t> spread_;   // tile weights grown by a tile each way
  ScratchArray<std::int32_t> column_;   // one row of tiles mixed between tile rows
  ScratchArray<std::int32_t> weights_;  // one row of pixel weights
};

}  // namespace kestrimo
