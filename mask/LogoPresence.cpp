#include "mask/LogoPresence.h"

#include <algorithm>

#include "imaging/AreaPlan.h"
#include "imaging/FrameConversion.h"
#include "imaging/Kernels.h"

namespace kestrimo {
namespace {

// The key sample's byte in a frame pixel and in a work pixel, and the
// frame's bytes per pixel.
struct KeySample {
  std::int32_t frameBytes, frameOffset, workOffset;
  bool workBottomUp;
};

KeySample KeyOf(std::int32_t mode) {
  if (mode == kFrameModeYuy2) return {2, 0, 0, IsBottomUpLayout(kLayoutYuv)};
  return {3, 1, 1, IsBottomUpLayout(kLayoutBgrLuma)};
}

}  // namespace

void LogoPresence::Rebuild(const LogoRemoval& removal, Point areaOrigin,
                           const FrameGeometry& geometry) {
  ready_ = false;
  shown_ = true;
  fits_ = true;
  falling_ = false;
  agreeing_ = 0;
  if (!removal.Mapped()) return;
  mode_ = geometry.mode;
  width_ = geometry.width;
  height_ = geometry.height;
  origin_ = areaOrigin;
  rect_ = removal.FrameRect();
  const std::int32_t width = rect_.Width(), height = rect_.Height();
  const std::int64_t count = std::int64_t{width} * height;
  const std::int64_t padded = (std::int64_t{width} + 2) * (std::int64_t{height} + 2);
  if (width < 1 || height < 1 || padded > INT32_MAX) return;
  pitch_ = width + 2;
  std::uint8_t* opacity = opacity_.Ensure(static_cast<std::int32_t>(count));
  std::uint8_t* colour = colour_.Ensure(static_cast<std::int32_t>(count));
  std::int16_t* difference = difference_.Ensure(static_cast<std::int32_t>(padded));
  std::int16_t* expected = expected_.Ensure(static_cast<std::int32_t>(padded));
  if (opacity == nullptr || colour == nullptr || difference == nullptr || expected == nullptr)
    return;
  std::fill(difference, difference + padded, std::int16_t{0});
  std::fill(expected, expected + padded, std::int16_t{0});
  const int key = mode_ == kFrameModeYuy2 ? 0 : 1;  // luma, or green
  logoPixels_ = 0;
  for (std::int32_t r = 0; r < height; ++r) {
    for (std::int32_t i = 0; i < width; ++i, ++opacity, ++colour) {
      const LogoRemoval::ModelSample m =
          removal.ModelAt(rect_.left + i - areaOrigin.x, rect_.top + r - areaOrigin.y);
      *opacity = m.opacity;
      *colour = m.colour[key];
      logoPixels_ += m.opacity != 0;
    }
  }
  ready_ = logoPixels_ > 0 && RebuildTiles();
}

// The tiles over rect_, their logo pixels, and no weight toward the fill.
bool LogoPresence::RebuildTiles() {
  const std::int32_t width = rect_.Width(), height = rect_.Height();
  tilesAcross_ = (width + kTileSide - 1) / kTileSide;
  tilesDown_ = (height + kTileSide - 1) / kTileSide;
  const std::int32_t tiles = tilesAcross_ * tilesDown_;  // under rect_'s pixels
  std::int32_t* logo = tileLogo_.Ensure(tiles);
  std::int32_t* fallback = fallback_.Ensure(tiles);
  PresenceSums* memory = tileMemory_.Ensure(2 * tiles);
  std::uint8_t* white = white_.Ensure(width);
  std::uint8_t* whole = wholly_.Ensure(tiles);
  if (logo == nullptr || fallback == nullptr || memory == nullptr || white == nullptr ||
      whole == nullptr ||
      tileSums_.Ensure(tiles) == nullptr || residualSums_.Ensure(tiles) == nullptr)
    return false;
  std::fill(memory, memory + 2 * tiles, PresenceSums{});
  std::fill(white, white + width, std::uint8_t{255});
  std::fill(logo, logo + tiles, 0);
  std::fill(fallback, fallback + tiles, 0);
  std::fill(whole, whole + tiles, std::uint8_t{1});
  const std::uint8_t* opacity = opacity_.Data();
  for (std::int32_t r = 0; r < height; ++r) {
    for (std::int32_t i = 0; i < width; ++i, ++opacity) {
      logo[(r / kTileSide) * tilesAcross_ + i / kTileSide] += *opacity != 0;
      if (*opacity >= LogoRemoval::kUntrustedOpacity) NotWholly(r, i);
    }
  }
  return true;
}

// The tiles whose gradients reach pixel (i, r) of rect_: they are not
// wholly subtracted.
void LogoPresence::NotWholly(std::int32_t r, std::int32_t i) {
  const std::int32_t top = std::max(0, r - 1) / kTileSide;
  const std::int32_t bottom = std::min(tilesDown_ * kTileSide - 1, r + 1) / kTileSide;
  const std::int32_t left = std::max(0, i - 1) / kTileSide;
  const std::int32_t right = std::min(tilesAcross_ * kTileSide - 1, i + 1) / kTileSide;
  for (std::int32_t y = top; y <= bottom; ++y)
    for (std::int32_t x = left; x <= right; ++x) wholly_.Data()[y * tilesAcross_ + x] = 0;
}

std::int16_t* LogoPresence::DifferenceRow(std::int32_t r) const {
  return difference_.Data() + std::ptrdiff_t{r + 1} * pitch_ + 1;
}

std::int16_t* LogoPresence::ExpectedRow(std::int32_t r) const {
  return expected_.Data() + std::ptrdiff_t{r + 1} * pitch_ + 1;
}

// Where the key samples of row fy of rect_ lie in the work view (the area's
// pixels, placed at the area's origin): every 4 bytes from there.
const std::uint8_t* LogoPresence::FillRow(ConstImageView work, std::int32_t fy) const {
  const KeySample key = KeyOf(mode_);
  const std::int32_t y = work.rect.top + fy - origin_.y;
  const std::int32_t memoryRow = key.workBottomUp ? work.alloc.height - 1 - y : y;
  const auto* row = reinterpret_cast<const std::uint8_t*>(
      work.pixels + static_cast<std::ptrdiff_t>(memoryRow) * work.alloc.width);
  return row + 4 * (work.rect.left + rect_.left - origin_.x) + key.workOffset;
}

// The frame's samples as delivered, or as they are now, against the fill,
// with the model's colours or a white logo's; over the whole of rect_, or
// tile by tile into `tiles`.
PresenceSums LogoPresence::Weigh(const LogoRemoval& removal, const std::uint8_t* frame,
                                 ConstImageView work, bool delivered, bool white,
                                 PresenceSums* tiles) const {
  const LogoPresenceKernels& kernels = KernelsInUse().logoPresence;
  const KeySample key = KeyOf(mode_);
  const std::int32_t width = rect_.Width(), height = rect_.Height();
  const std::ptrdiff_t skipped = std::ptrdiff_t{rect_.left - removal.FirstColumn()} * key.frameBytes;
  for (std::int32_t r = 0; r < height; ++r) {
    const std::int32_t fy = rect_.top + r;
    const std::uint8_t* samples =
        delivered ? removal.DeliveredRow(frame, fy) : removal.FrameSamples(frame, fy);
    const std::size_t at = static_cast<std::size_t>(r) * static_cast<std::size_t>(width);
    const std::uint8_t* colours = white ? white_.Data() : colour_.Data() + at;
    kernels.differenceRow(samples + skipped + key.frameOffset, key.frameBytes, FillRow(work, fy), 4,
                          opacity_.Data() + at, colours, width, DifferenceRow(r), ExpectedRow(r));
  }
  return tiles != nullptr ? SumTiles(tiles) : SumWhole();
}

// The weighing of the difference rows over the whole of rect_.
PresenceSums LogoPresence::SumWhole() const {
  const LogoPresenceKernels& kernels = KernelsInUse().logoPresence;
  const std::int32_t width = rect_.Width(), height = rect_.Height();
  PresenceSums sums;
  for (std::int32_t r = 0; r < height; ++r) {
    for (std::int32_t i = 0; i < width; i += kPresenceMaxRow) {
      kernels.sumRow(DifferenceRow(r - 1) + i, DifferenceRow(r) + i, DifferenceRow(r + 1) + i,
                     ExpectedRow(r - 1) + i, ExpectedRow(r) + i, ExpectedRow(r + 1) + i,
                     std::min(kPresenceMaxRow, width - i), &sums);
    }
  }
  return sums;
}

// The same weighing tile by tile into `tiles`; their total.
PresenceSums LogoPresence::SumTiles(PresenceSums* tiles) const {
  const LogoPresenceKernels& kernels = KernelsInUse().logoPresence;
  const std::int32_t width = rect_.Width(), height = rect_.Height();
  std::fill(tiles, tiles + tilesAcross_ * tilesDown_, PresenceSums{});
  for (std::int32_t r = 0; r < height; ++r) {
    PresenceSums* tile = tiles + (r / kTileSide) * tilesAcross_;
    for (std::int32_t i = 0; i < width; i += kTileSide, ++tile) {
      kernels.sumRow(DifferenceRow(r - 1) + i, DifferenceRow(r) + i, DifferenceRow(r + 1) + i,
                     ExpectedRow(r - 1) + i, ExpectedRow(r) + i, ExpectedRow(r + 1) + i,
                     std::min(kTileSide, width - i), tile);
    }
  }
  PresenceSums sums;
  for (std::int32_t t = 0; t < tilesAcross_ * tilesDown_; ++t) {
    sums.match += tiles[t].match;
    sums.energy += tiles[t].energy;
  }
  return sums;
}

bool LogoPresence::Look(const LogoRemoval& removal, const std::uint8_t* frame,
                        const FrameGeometry& geometry, ConstImageView work, bool subtracted) {
  if (!Ready(geometry) || !removal.Mapped() || work.pixels == nullptr) return shown_;
  delivered_ = Weigh(removal, frame, work, true, false, tileSums_.Data());
  subtracted_ = subtracted ? Weigh(removal, frame, work, false, false, nullptr) : PresenceSums{};
  Decide(FittingTiles());
  fits_ = !subtracted || Fits(subtracted_);
  if (subtracted) {
    Weigh(removal, frame, work, false, true, residualSums_.Data());
    JudgeTiles(shown_);
  }
  return shown_;
}

// The frame's sums over the tiles the model fits (none of them falling
// back after the frames before): a part the model no longer fits must not
// make the logo look away.
PresenceSums LogoPresence::FittingTiles() const {
  PresenceSums sums;
  for (std::int32_t t = 0; t < tilesAcross_ * tilesDown_; ++t) {
    if (fallback_.Data()[t] != 0) continue;
    sums.match += tileSums_.Data()[t].match;
    sums.energy += tileSums_.Data()[t].energy;
  }
  return sums;
}

// Each tile is weighed twice. As delivered, against the model's logo: a
// share near 1 over the last frames (as the frame as a whole has) says the
// model fits; one off by more than kTileFitPercent says it no longer does.
// After the subtraction, against a white logo of the model's shape: what
// the subtraction left or added in the logo's shape, whatever its colour,
// even where the model expects no edges (its colour close to the picture
// behind it); only in tiles wholly subtracted, as a near-opaque part is
// left to the fill and shows there, and only in frames that show the logo.
// A tile that fails either falls back to the fill at once; one that passes
// returns toward the subtraction. A frame without the logo shows about none
// of it in every tile, well within the first test.
void LogoPresence::JudgeTiles(bool shownNow) {
  const std::int32_t tiles = tilesAcross_ * tilesDown_;
  const std::int32_t* logo = tileLogo_.Data();
  std::int32_t* fallback = fallback_.Data();
  falling_ = false;
  for (std::int32_t t = 0; t < tiles; ++t) {
    const bool shown = Remember(tileSums_.Data()[t], tileMemory_.Data()[t], logo[t]);
    const bool left = shownNow && wholly_.Data()[t] != 0 &&
                      Remember(residualSums_.Data()[t], tileMemory_.Data()[tiles + t], logo[t]);
    const PresenceSums& model = tileMemory_.Data()[t];
    const PresenceSums& residual = tileMemory_.Data()[tiles + t];
    const bool misfit =
        (shown && !Fits({model.match - model.energy, model.energy}, kTileFitPercent)) ||
        (left && !Fits(residual, kTileResidualPercent));
    fallback[t] = misfit ? kFullFallback : std::max(0, fallback[t] - kFallbackReturn);
    falling_ = falling_ || fallback[t] > 0;
  }
}

// Adds a tile's sums of this frame to its memory when they can tell; true
// when they could.
bool LogoPresence::Remember(const PresenceSums& sums, PresenceSums& memory, std::int64_t logo) {
  if (logo < kMinTileLogo || sums.energy < logo * kMinContrast * kMinContrast) return false;
  memory.match += sums.match - (memory.match >> kTileMemoryShift);
  memory.energy += sums.energy - (memory.energy >> kTileMemoryShift);
  return true;
}

bool LogoPresence::Fits(const PresenceSums& sums, std::int64_t percent) {
  const std::int64_t left = sums.match < 0 ? -sums.match : sums.match;
  return 100 * left <= percent * sums.energy;
}

void LogoPresence::Decide(const PresenceSums& sums) {
  if (sums.energy < logoPixels_ * kMinContrast * kMinContrast) return;  // cannot tell
  const bool forShown = 100 * sums.match >= kShownPercent * sums.energy;
  const bool forAbsent = 100 * sums.match <= kAbsentPercent * sums.energy;
  const bool against = shown_ ? forAbsent : forShown;
  agreeing_ = against ? agreeing_ + 1 : 0;
  if (agreeing_ >= (shown_ ? kFramesToHide : kFramesToShow)) {
    shown_ = !shown_;
    agreeing_ = 0;
  }
}

}  // namespace kestrimo
