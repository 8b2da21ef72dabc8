// What template 5000 must hold, written down independently of the .rc file:
// the settings window's controls in tab order.
#pragma once

#include <windows.h>

#include <array>

namespace kestrimo::testing {

struct ExpectedControl {
  int id;
  const char* className;
  const char8_t* caption;  // UTF-8; null when the caption is a bitmap number
  int bitmap;              // the bitmap an image static shows, else 0
  DWORD style;             // besides WS_CHILD | WS_VISIBLE
  DWORD exStyle;
  short x, y, cx, cy;      // dialog units
  bool bound;              // looked up by the window after creation
  int icon;                // the icon the window puts on the button, else 0
};

extern const std::array<ExpectedControl, 49> kSettingsControls;

// The controls the settings window keeps, in the order it looks them up.
extern const std::array<int, 34> kBoundControlIds;

}  // namespace kestrimo::testing
