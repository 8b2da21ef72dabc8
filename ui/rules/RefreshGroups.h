// What the window's refresh message reloads for each refresh code, in the
// order the window performs the groups.
#pragma once

#include <cstdint>

namespace kestrimo::ui {

struct RefreshGroups {
  bool values = false;     // channel name, check boxes and spin positions
  bool swatch = false;     // repaint the colour swatch
  bool maskFile = false;   // the mask file path or its placeholder
  bool preview = false;    // repaint the preview
  bool enabling = false;   // enable and disable the controls

  friend bool operator==(const RefreshGroups&, const RefreshGroups&) = default;
};

// The groups for a refresh code (the message's wParam); an unknown code
// reloads nothing.
RefreshGroups GroupsForRefresh(std::int32_t code);

}  // namespace kestrimo::ui
