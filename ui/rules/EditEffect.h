// What the window does after a rule has changed the current record. The window
// carries the steps out in this order: under the settings lock it reloads the
// mask picture and rebuilds the mask; after releasing the lock it posts the
// refresh message.
#pragma once

#include <optional>

#include "ui/rules/ControlIds.h"

namespace kestrimo::ui {

struct EditEffect {
  bool loadMaskPicture = false;        // LoadMaskPicture, before the rebuild
  bool rebuildMask = false;            // RebuildMask
  std::optional<RefreshCode> refresh;  // post the refresh message with this code

  friend bool operator==(const EditEffect&, const EditEffect&) = default;
};

}  // namespace kestrimo::ui
