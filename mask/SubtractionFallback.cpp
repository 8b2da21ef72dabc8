#include "mask/SubtractionFallback.h"

#include <algorithm>

namespace kestrimo {
namespace {

constexpr std::int32_t kTile = LogoPresence::kTileSide;
constexpr std::int32_t kSlack = 25;

// Between which two tiles (their centres) position p of `tiles` lies, and
// how far past the first's centre (0..kTile - 1); beyond the outer centres
// the outer tile alone.
struct Between {
  std::int32_t first, second, past;
};

Between TilesAround(std::int32_t p, std::int32_t tiles) {
  const std::int32_t t = p - kTile / 2;
  if (t <= 0) return {0, 0, 0};
  const std::int32_t first = t / kTile;
  if (first >= tiles - 1) return {tiles - 1, tiles - 1, 0};
  return {first, first + 1, t % kTile};
}

std::uint8_t Mix(std::int32_t kept, std::int32_t fallen, std::int32_t weight) {
  constexpr std::int32_t kFull = SubtractionFallback::kFull;
  return static_cast<std::uint8_t>((kept * (kFull - weight) + fallen * weight + kFull / 2) / kFull);
}

}  // namespace

bool SubtractionFallback::Rebuild(const LogoRemoval& removal, const LogoPresence& presence) {
  ready_ = false;
  rect_ = presence.FrameRect();
  across_ = presence.TilesAcross();
  down_ = presence.TilesDown();
  const Rect& area = removal.RemovalAlpha.rect;
  if (!removal.Active() || across_ < 1 || down_ < 1 || rect_.Width() < 1) return false;
  Alpha.Resize(area.Width(), area.Height(), kSlack, kSlack);
  ready_ = spread_.Ensure(across_ * down_) != nullptr && column_.Ensure(across_) != nullptr &&
           weights_.Ensure(rect_.Width()) != nullptr && Alpha.rect.Width() == area.Width() &&
           Alpha.rect.Height() == area.Height();
  return ready_;
}

// Each tile's weight, the largest of it and its eight neighbours.
void SubtractionFallback::Spread(const LogoPresence& presence) {
  const std::int32_t* weight = presence.FallbackWeights();
  std::int32_t* spread = spread_.Data();
  for (std::int32_t j = 0; j < down_; ++j) {
    for (std::int32_t i = 0; i < across_; ++i) {
      std::int32_t most = 0;
      for (std::int32_t y = std::max(0, j - 1); y <= std::min(down_ - 1, j + 1); ++y)
        for (std::int32_t x = std::max(0, i - 1); x <= std::min(across_ - 1, i + 1); ++x)
          most = std::max(most, weight[y * across_ + x]);
      spread[j * across_ + i] = most;
    }
  }
}

// Bilinear between the spread weights at the tiles' centres.
void SubtractionFallback::RowWeights(std::int32_t r, std::int32_t* weights) const {
  const std::int32_t* spread = spread_.Data();
  std::int32_t* column = column_.Data();
  const Between rows = TilesAround(r, down_);
  for (std::int32_t i = 0; i < across_; ++i)
    column[i] = spread[rows.first * across_ + i] * (kTile - rows.past) +
                spread[rows.second * across_ + i] * rows.past;
  for (std::int32_t x = 0; x < rect_.Width(); ++x) {
    const Between columns = TilesAround(x, across_);
    const std::int32_t sum = column[columns.first] * (kTile - columns.past) +
                             column[columns.second] * columns.past;
    weights[x] = (sum + kTile * kTile / 2) / (kTile * kTile);
  }
}

// Frame row fy's samples from the removal's first column, each mixed toward
// the delivered one by its pixel's share (a 4:2:2 chroma sample by its
// pixel's of the pair).
void SubtractionFallback::MixSamples(std::uint8_t* frame, const LogoRemoval& removal,
                                     std::int32_t fy, const std::int32_t* weights) const {
  std::uint8_t* samples = removal.FrameSamples(frame, fy);
  const std::uint8_t* delivered = removal.DeliveredRow(frame, fy);
  const std::int32_t bytes = removal.SampleBytes();
  const std::int32_t count = (rect_.right - removal.FirstColumn()) * bytes;
  for (std::int32_t k = 0; k < count; ++k) {
    const std::int32_t x = std::max(0, removal.FirstColumn() + k / bytes - rect_.left);
    if (weights[x] != 0) samples[k] = Mix(samples[k], delivered[k], weights[x]);
  }
}

// The output is the subtraction's, s (1 - r) + f r through the removal alpha
// r, and the fill's, d (1 - m) + f m through the mask's alpha m, mixed by the
// weight w. Blended back as x (1 - a) + f a, that is a = r + w (m - r) and x
// the subtracted sample s mixed toward the delivered d by
// w (1 - m) / ((1 - w) (1 - r) + w (1 - m)): inside the logo, where the
// fill alone shows (m whole), the delivered sample has no part in it.
// Writes a into Alpha for row fy and turns each weight into that share of d.
void SubtractionFallback::MixAlpha(const LogoRemoval& removal, const ImageBuffer& frameMask,
                                   Point areaOrigin, std::int32_t fy, std::int32_t* weights) {
  const std::int32_t y = fy - areaOrigin.y;
  for (std::int32_t fx = rect_.left; fx < rect_.right; ++fx) {
    std::int32_t& weight = weights[fx - rect_.left];
    const std::int32_t x = fx - areaOrigin.x;
    if (weight == 0 || x < 0 || x >= Alpha.rect.Width()) continue;
    std::uint32_t* pixel = Alpha.PixelAt(x, y);
    const std::int32_t r = static_cast<std::int32_t>(*removal.RemovalAlpha.PixelAt(x, y) >> 24);
    const std::int32_t m = static_cast<std::int32_t>(
        *frameMask.PixelAt(frameMask.rect.left + x, frameMask.rect.top + y) >> 24);
    *pixel = (*pixel & 0x00FFFFFFu) | std::uint32_t{Mix(r, m, weight)} << 24;
    const std::int32_t delivered = weight * (255 - m);
    const std::int32_t whole = (kFull - weight) * (255 - r) + delivered;
    weight = whole == 0 ? 0 : (delivered * kFull + whole / 2) / whole;
  }
}

const ImageBuffer& SubtractionFallback::Apply(std::uint8_t* frame, const LogoRemoval& removal,
                                              const LogoPresence& presence,
                                              const ImageBuffer& frameMask, Point areaOrigin) {
  if (!ready_ || !presence.Falling() || !(presence.FrameRect() == rect_))
    return removal.RemovalAlpha;
  const ImageBuffer& alpha = removal.RemovalAlpha;
  Alpha.CopyFrom(alpha.pixels, alpha.allocWidth, alpha.allocHeight, alpha.rect);
  Spread(presence);
  std::int32_t* weights = weights_.Data();
  for (std::int32_t fy = rect_.top; fy < rect_.bottom; ++fy) {
    RowWeights(fy - rect_.top, weights);
    MixAlpha(removal, frameMask, areaOrigin, fy, weights);
    MixSamples(frame, removal, fy, weights);
  }
  return Alpha;
}

}  // namespace kestrimo
