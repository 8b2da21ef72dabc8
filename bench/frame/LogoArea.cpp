#include "bench/frame/LogoArea.h"

#include <cstdlib>
#include <cstdint>

namespace kestrimo::bench {
namespace {

// One axis: the size and the near edge in frame pixels for raster values.
void ScaleAxis(int pos, int size, int frame, int raster, int& edge, int& length) {
  length = MulDivRound(size, frame, raster);
  edge = MulDivRound(pos, frame, raster) - length / 2;
}

// The raster (pos, size) pair nearest to a frame edge and length; searches a
// few neighbours because two roundings meet.
void FitAxis(int edge, int length, int frame, int raster, int& pos, int& size) {
  const int size0 = MulDivRound(length, raster, frame);
  const int pos0 = MulDivRound(edge * 2 + length, raster, frame * 2);
  int best = -1;
  for (int ds = -2; ds <= 2; ++ds) {
    for (int dp = -2; dp <= 2; ++dp) {
      int e = 0, l = 0;
      ScaleAxis(pos0 + dp, size0 + ds, frame, raster, e, l);
      const int miss = std::abs(e - edge) + std::abs(l - length);
      if (best < 0 || miss < best) {
        best = miss;
        pos = pos0 + dp;
        size = size0 + ds;
      }
    }
  }
}

}  // namespace

int MulDivRound(int a, int b, int c) {
  if (c == 0) return -1;
  const std::int64_t product = static_cast<std::int64_t>(a) * b;
  const std::int64_t half = std::llabs(c) / 2;
  const bool negative = (product < 0) != (c < 0);
  const std::int64_t magnitude = (std::llabs(product) + half) / std::llabs(c);
  return static_cast<int>(negative ? -magnitude : magnitude);
}

Area AreaOfMask(const RasterMask& mask, int frameWidth, int frameHeight) {
  Area area;
  ScaleAxis(mask.posX, mask.sizeX, frameWidth, kRasterWidth, area.x, area.width);
  ScaleAxis(mask.posY, mask.sizeY, frameHeight, kRasterHeight, area.y, area.height);
  return area;
}

RasterMask MaskForArea(const Area& wanted, int frameWidth, int frameHeight) {
  RasterMask mask;
  FitAxis(wanted.x, wanted.width, frameWidth, kRasterWidth, mask.posX, mask.sizeX);
  FitAxis(wanted.y, wanted.height, frameHeight, kRasterHeight, mask.posY, mask.sizeY);
  return mask;
}

Area Interior(const Area& area) {
  if (area.width < 3 || area.height < 3) return Area{area.x, area.y, 0, 0};
  return Area{area.x + 1, area.y + 1, area.width - 2, area.height - 2};
}

std::string Describe(const Area& area) {
  return std::to_string(area.width) + "x" + std::to_string(area.height) + "@" +
         std::to_string(area.x) + "," + std::to_string(area.y);
}

}  // namespace kestrimo::bench
