#include "ui/rules/ColourChoice.h"

namespace kestrimo::ui {

SwatchFill SwatchFillFor(bool disabled, std::uint32_t colorKey) {
  if (disabled) return SwatchFill{true, kSwatchHatchColour};
  return SwatchFill{false, colorKey & 0x00FFFFFFu};
}

EditEffect ColourChosen(ChannelSettings& record, std::optional<std::uint32_t> chosen) {
  if (chosen) record.ColorKey = *chosen;
  EditEffect effect;
  effect.rebuildMask = true;
  effect.refresh = RefreshCode::Color;
  return effect;
}

}  // namespace kestrimo::ui
