// The position and size buttons beside the preview: the eight press-and-hold
// buttons (arrows, width and height), the four corner buttons and the reset of
// the expansion. Every change stays in the reference raster (768 x 576).
#pragma once

#include <cstdint>

#include "model/ChannelSettings.h"
#include "base/Rect.h"
#include "ui/rules/ControlIds.h"
#include "ui/rules/EditEffect.h"

namespace kestrimo {
class MaskRebuild;
}

namespace kestrimo::ui {

// Limits of the buttons, in reference-raster units.
constexpr std::int32_t kMinRectMaskSize = 4;
constexpr std::int32_t kMaxExpand = 30;
constexpr std::int32_t kCornerMargin = 50;

// What the buttons read besides the record: whether the channel's mask
// picture is loaded, and the size of the base mask of the last rebuild.
struct MaskContext {
  bool maskLoaded = false;
  Size baseMask;
};

// The context as the mask rebuild leaves it.
MaskContext MaskContextOf(const MaskRebuild& mask);

// The eight buttons that repeat while held.
bool IsRepeatButton(ControlId id);

// The four corner buttons.
bool IsCornerButton(ControlId id);

// One step of `steps` units of a repeat button, or one click of a corner or
// the reset button, applied to the record. Each limit holds only in the
// direction of the change: moving left stops at 0, and a value already beyond
// that limit is brought back to it; the far limit is not applied. Corners
// place the mask 50 units from the picture's edges and apply no limit. A
// negative step counts as 0. Every one of the thirteen buttons asks for a
// rebuild, also when nothing changed; other ids change and ask nothing.
EditEffect ApplyPositionButton(ChannelSettings& record, ControlId button, std::int32_t steps,
                               const MaskContext& mask);

}  // namespace kestrimo::ui
