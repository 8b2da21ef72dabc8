// The logo's area in frame pixels, and the settings that place the plug-in's
// rectangle mask on it. Positions and sizes in the settings are in the
// 768 x 576 reference raster; the plug-in scales them to the frame with
// round-half-away-from-zero and puts the left/top edge at
// centre - floor(size / 2).
#pragma once

#include <string>

namespace kestrimo::bench {

struct Area {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  long Pixels() const { return static_cast<long>(width) * height; }
  bool operator==(const Area&) const = default;
};

// The settings keys that describe a rectangle mask, in raster units.
struct RasterMask {
  int posX = 0;
  int posY = 0;
  int sizeX = 0;
  int sizeY = 0;
};

constexpr int kRasterWidth = 768;
constexpr int kRasterHeight = 576;

// a * b / c rounded to the nearest integer, halves away from zero.
int MulDivRound(int a, int b, int c);

// The frame area the plug-in derives from `mask` on a frame of this size.
Area AreaOfMask(const RasterMask& mask, int frameWidth, int frameHeight);

// Raster values whose area on this frame is as close to `wanted` as the
// raster allows (exact when the frame is the raster's size or a multiple of
// its steps). The caller uses AreaOfMask of the result as the true area.
RasterMask MaskForArea(const Area& wanted, int frameWidth, int frameHeight);

// The pixels a logo remover rebuilds: the area without its outermost ring,
// which holds the picture the rebuild starts from.
Area Interior(const Area& area);

std::string Describe(const Area& area);

}  // namespace kestrimo::bench
