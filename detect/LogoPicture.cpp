#include "detect/LogoPicture.h"

#include <algorithm>
#include <cstdlib>

namespace kestrimo {
namespace {

// The smallest raster extent that the plug-in scales to at least `frameExtent`.
std::int32_t RasterExtentFor(std::int32_t frameExtent, std::int32_t frameSide,
                             std::int32_t rasterSide, std::int32_t (*scale)(const FrameGeometry&, std::int32_t),
                             const FrameGeometry& geometry) {
  auto extent = static_cast<std::int32_t>(
      std::max<std::int64_t>(1, std::int64_t{frameExtent} * rasterSide / frameSide - 1));
  while (scale(geometry, extent) < frameExtent) ++extent;
  return extent;
}

std::int32_t ScaleX(const FrameGeometry& g, std::int32_t v) { return g.ScaleSize({v, 0}).width; }
std::int32_t ScaleY(const FrameGeometry& g, std::int32_t v) { return g.ScaleSize({0, v}).height; }

// The centre whose placed area starts nearest to `start` (frame pixels).
std::int32_t CentreFor(std::int32_t start, std::int32_t frameExtent, std::int32_t frameSide,
                       std::int32_t rasterSide, std::int32_t (*scale)(const FrameGeometry&, std::int32_t),
                       const FrameGeometry& geometry) {
  const std::int64_t guess =
      (std::int64_t{start} + frameExtent / 2) * rasterSide / frameSide;
  std::int32_t best = static_cast<std::int32_t>(guess);
  std::int32_t bestMiss = -1;
  for (std::int64_t c = guess - 2; c <= guess + 2; ++c) {
    const std::int32_t placed = scale(geometry, static_cast<std::int32_t>(c)) - frameExtent / 2;
    const std::int32_t miss = std::abs(placed - start);
    if (bestMiss < 0 || miss < bestMiss) {
      best = static_cast<std::int32_t>(c);
      bestMiss = miss;
    }
  }
  return best;
}

}  // namespace

Rect PlacedArea(const FrameGeometry& geometry, Size rasterSize, Point centre) {
  const Size size = geometry.ScaleSize(rasterSize);
  const Point middle = geometry.ScalePoint(centre);
  const std::int32_t left = middle.x - size.width / 2, top = middle.y - size.height / 2;
  return {left, top, left + size.width, top + size.height};
}

LogoPicture PlaceLogoPicture(const LogoMask& logo, std::int32_t margin) {
  LogoPicture picture;
  const Rect box = logo.Bounds();
  if (box.IsEmpty()) return picture;
  FrameGeometry geometry;
  geometry.SetFrameFormat(logo.Width(), logo.Height(), kFrameModeYuy2);
  const Rect wanted{box.left - margin, box.top - margin, box.right + margin, box.bottom + margin};
  picture.width = RasterExtentFor(wanted.Width(), logo.Width(), kReferenceWidth, ScaleX, geometry);
  picture.height = RasterExtentFor(wanted.Height(), logo.Height(), kReferenceHeight, ScaleY, geometry);
  const Size frameSize = geometry.ScaleSize({picture.width, picture.height});
  picture.posX = CentreFor(wanted.left, frameSize.width, logo.Width(), kReferenceWidth,
                           [](const FrameGeometry& g, std::int32_t v) { return g.ScalePoint({v, 0}).x; },
                           geometry);
  picture.posY = CentreFor(wanted.top, frameSize.height, logo.Height(), kReferenceHeight,
                           [](const FrameGeometry& g, std::int32_t v) { return g.ScalePoint({0, v}).y; },
                           geometry);
  picture.area = PlacedArea(geometry, {picture.width, picture.height}, {picture.posX, picture.posY});
  picture.keyed.assign(static_cast<std::size_t>(picture.width) * picture.height, 0);
  const std::int64_t w = picture.area.Width(), h = picture.area.Height();
  for (int y = 0; y < picture.height; ++y) {
    const int fy = picture.area.top + static_cast<int>((2 * y + 1) * h / (2 * picture.height));
    if (fy < 0 || fy >= logo.Height()) continue;
    for (int x = 0; x < picture.width; ++x) {
      const int fx = picture.area.left + static_cast<int>((2 * x + 1) * w / (2 * picture.width));
      if (fx >= 0 && fx < logo.Width() && logo.At(fx, fy)) picture.Key(x, y);
    }
  }
  return picture;
}

Point PicturePixelOf(const LogoPicture& picture, int x, int y) {
  const std::int64_t w = picture.area.Width(), h = picture.area.Height();
  const std::int64_t px = (2 * std::int64_t{x - picture.area.left} + 1) * picture.width / (2 * w);
  const std::int64_t py = (2 * std::int64_t{y - picture.area.top} + 1) * picture.height / (2 * h);
  return {static_cast<std::int32_t>(std::min<std::int64_t>(px, picture.width - 1)),
          static_cast<std::int32_t>(std::min<std::int64_t>(py, picture.height - 1))};
}

}  // namespace kestrimo
