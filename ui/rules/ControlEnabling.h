// Which controls of the settings window are enabled. Everything that edits
// the channel needs processing switched on; the clear-mask button, the
// invert box and the box that rebuilds from earlier frames also need a
// loaded mask picture, the opacity field the
// show-mask box, and the subtract box a logo model to take away. The
// processing box, the channel name, the bottom buttons, the find button,
// group boxes and glyphs are never enabled or disabled.
#pragma once

#include <array>
#include <cstddef>

#include "ui/rules/ControlIds.h"

namespace kestrimo::ui {

struct EnableInputs {
  bool procEnable = false;  // the record's ProcEnable is non-zero
  bool maskLoaded = false;  // the channel's mask picture is loaded
  bool showMask = false;    // the record's ShowMask is non-zero
  bool hasModel = false;    // the record names a logo model file
};

struct ControlEnable {
  ControlId id;
  bool enabled;
};

constexpr std::size_t kManagedControlCount = 34;

// Every control whose enabled state follows the inputs, with that state.
std::array<ControlEnable, kManagedControlCount> EnabledStates(const EnableInputs& inputs);

}  // namespace kestrimo::ui
