// The three check boxes of the settings window: processing on, show the mask,
// invert the mask. A click toggles the box first; the window then stores the
// box's new state in the record.
#pragma once

#include <cstdint>

#include "model/ChannelSettings.h"
#include "ui/rules/ControlIds.h"
#include "ui/rules/EditEffect.h"

namespace kestrimo::ui {

// Stores `checkState` (the box's state after the click) in the box's field.
// Processing and show-mask ask for the enabled states to be recomputed;
// invert asks for a rebuild. Other ids change and ask nothing.
EditEffect CheckBoxClicked(ChannelSettings& record, ControlId box, std::int32_t checkState);

// The state a box shows for the record (0 or 1), for the full refresh.
std::int32_t CheckStateOf(const ChannelSettings& record, ControlId box);

}  // namespace kestrimo::ui
