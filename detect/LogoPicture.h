// The mask picture of a found logo: pixels of the 768 x 576 reference raster
// (key colour on the logo, the complement elsewhere), and the MaskPosX /
// MaskPosY that make the plug-in put it over the logo.
#pragma once

#include <cstdint>
#include <vector>

#include "base/FrameGeometry.h"
#include "base/Rect.h"
#include "detect/LogoMask.h"

namespace kestrimo {

struct LogoPicture {
  std::int32_t width = 0;   // reference-raster pixels
  std::int32_t height = 0;
  std::vector<std::uint8_t> keyed;  // width x height, rows top-down; 1 on the logo
  std::int32_t posX = 0;    // MaskPosX: the centre, reference raster
  std::int32_t posY = 0;
  Rect area;                // the frame pixels the plug-in processes for it

  bool Keyed(int x, int y) const { return keyed[Index(x, y)] != 0; }
  void Key(int x, int y) { keyed[Index(x, y)] = 1; }

 private:
  std::size_t Index(int x, int y) const {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
           static_cast<std::size_t>(x);
  }
};

// Places an area of the logo's bounding box plus `margin` frame pixels on
// each side (at least that much, after the plug-in's rounding), and keys the
// picture pixels whose centres fall on the logo. Empty picture for an empty
// logo.
LogoPicture PlaceLogoPicture(const LogoMask& logo, std::int32_t margin);

// The picture pixel whose area in the frame holds frame pixel (x, y), which
// must lie inside picture.area.
Point PicturePixelOf(const LogoPicture& picture, int x, int y);

// Where the plug-in puts an area of the given reference-raster size and
// centre in a frame of the geometry's size: frame pixels, possibly beyond
// the frame.
Rect PlacedArea(const FrameGeometry& geometry, Size rasterSize, Point centre);

}  // namespace kestrimo
