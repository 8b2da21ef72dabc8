// What the mask rebuild takes from a channel's settings: the area's place and
// size in reference-raster units (768 x 576), and how a picture's key pixels
// are read, grown and softened.
#pragma once

#include <cstdint>

namespace kestrimo {

struct MaskShape {
  std::int32_t MaskPosX = 0;
  std::int32_t MaskPosY = 0;
  std::int32_t RectMaskSizeX = 0;
  std::int32_t RectMaskSizeY = 0;
  std::int32_t InvertMask = 0;
  std::uint32_t ColorKey = 0;  // 0x00BBGGRR
  std::int32_t ExpandX = 0;
  std::int32_t ExpandY = 0;
  std::uint32_t EdgeBlur = 0;
};

}  // namespace kestrimo
