// One TV channel's settings, and the lists that hold them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "mask/MaskShape.h"
#include "model/HostRecords.h"

namespace kestrimo {

// Positions and sizes are in reference-raster units (768 x 576); flags are
// 0 for off and anything else for on. Fields keep this order: copies and the
// settings table walk them in it.
struct ChannelSettings {
  ChannelId Id = 0;
  std::string MaskFileName;
  std::int32_t MaskPosX = 0;
  std::int32_t MaskPosY = 0;
  std::int32_t RectMaskSizeX = 0;
  std::int32_t RectMaskSizeY = 0;
  std::int32_t Opacity = 0;  // percent, for the mask preview
  std::int32_t InvertMask = 0;
  std::int32_t ShowMask = 0;
  std::uint32_t ColorKey = 0;  // 0x00BBGGRR
  std::int32_t ExpandX = 0;
  std::int32_t ExpandY = 0;
  std::uint32_t ScreenBlur = 0;
  std::uint32_t EdgeBlur = 0;
  std::int32_t ProcEnable = 0;
  // The logo's colour and opacity (an RGBA picture placed like the mask
  // picture); empty when the channel paints its logo over instead.
  std::string LogoModelFile;
  // With a logo model: frames that do not show the logo (an ad break, say)
  // pass unchanged. 0 (off) for a channel set up by hand.
  std::int32_t LogoPresenceCheck = 0;
  // For an opaque logo: the pixels under it are rebuilt from where a moving
  // camera showed that part of the scene in earlier frames. 0 (off) for a
  // channel set up by hand.
  std::int32_t LogoSeeThrough = 0;

  // The fields the mask rebuild draws from.
  MaskShape Shape() const {
    return {MaskPosX, MaskPosY, RectMaskSizeX, RectMaskSizeY, InvertMask,
            ColorKey, ExpandX, ExpandY,  EdgeBlur};
  }
  // Sets those fields (a found logo's placement, say).
  void SetShape(const MaskShape& shape) {
    MaskPosX = shape.MaskPosX;
    MaskPosY = shape.MaskPosY;
    RectMaskSizeX = shape.RectMaskSizeX;
    RectMaskSizeY = shape.RectMaskSizeY;
    InvertMask = shape.InvertMask;
    ColorKey = shape.ColorKey;
    ExpandX = shape.ExpandX;
    ExpandY = shape.ExpandY;
    EdgeBlur = shape.EdgeBlur;
  }

  friend bool operator==(const ChannelSettings&, const ChannelSettings&) = default;
};

// A growable contiguous list of records; a grown list's new records are
// zero-filled with empty strings.
using ChannelSettingsList = std::vector<ChannelSettings>;

// The built-in defaults, used where the settings file has no value.
ChannelSettings TableDefaults();

}  // namespace kestrimo
