// The colour swatch of the settings window: how it is painted, and what a
// closed colour chooser leaves behind.
#pragma once

#include <cstdint>
#include <optional>

#include "model/ChannelSettings.h"
#include "ui/rules/EditEffect.h"

namespace kestrimo::ui {

constexpr std::uint32_t kSwatchHatchColour = 0x808080;  // grey of a disabled swatch

struct SwatchFill {
  bool hatched;          // forward-diagonal hatching instead of a solid fill
  std::uint32_t colour;  // 0x00BBGGRR

  friend bool operator==(const SwatchFill&, const SwatchFill&) = default;
};

// A disabled swatch is hatched grey whatever the key colour; an enabled one is
// filled with the key colour. Only the colour bytes are used, so a stored
// value with a top byte set still paints as the colour its bytes name.
SwatchFill SwatchFillFor(bool disabled, std::uint32_t colorKey);

// The colour chooser closed: with OK, `chosen` becomes the key colour. Either
// way the mask is rebuilt and the swatch repainted.
EditEffect ColourChosen(ChannelSettings& record, std::optional<std::uint32_t> chosen);

}  // namespace kestrimo::ui
