// The check boxes of the settings window: processing on, show the mask,
// invert the mask, subtract the logo, only while the logo shows, and rebuild
// from earlier frames. A click toggles the box first; the window then stores
// the box's new state in the record.
#pragma once

#include <array>
#include <cstdint>

#include "model/ChannelSettings.h"
#include "ui/rules/ControlIds.h"
#include "ui/rules/EditEffect.h"

namespace kestrimo::ui {

// The boxes whose state the full refresh sets from the record.
constexpr std::array<ControlId, 6> kCheckBoxes{ControlId::ChkEnable, ControlId::ChkInvert,
                                               ControlId::ChkShowMask,
                                               ControlId::ChkSubtractLogo,
                                               ControlId::ChkLogoPresence,
                                               ControlId::ChkSeeThrough};

// Stores `checkState` (the box's state after the click) in the box's field.
// Processing and show-mask ask for the enabled states to be recomputed;
// invert asks for a rebuild. The subtract box only takes a model away:
// unchecking it forgets the channel's logo model and its presence check,
// which reloads the picture (and with it the model), rebuilds and shows
// the record again; a box that cannot change the record
// asks for a full refresh, so it shows the record again. Other ids change
// and ask nothing.
EditEffect CheckBoxClicked(ChannelSettings& record, ControlId box, std::int32_t checkState);

// The state a box shows for the record (0 or 1), for the full refresh.
std::int32_t CheckStateOf(const ChannelSettings& record, ControlId box);

}  // namespace kestrimo::ui
