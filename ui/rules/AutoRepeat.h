// The press-and-hold repeat of the position and size buttons: a press moves
// one unit at once, and every tick of the 50 ms repeat timer adds 0.3 to a step
// accumulator whose integer part is that tick's step, so a held button starts
// slowly and speeds up without limit (the clamps keep the values in range).
#pragma once

#include <cstdint>

#include "ui/rules/ControlIds.h"

namespace kestrimo::ui {

constexpr std::int32_t kRepeatTimerId = 1;        // TIMER_REPEAT
constexpr std::int32_t kRepeatIntervalMs = 50;

// Mouse messages as the window's mouse hook sorts them.
enum class MouseEvent { LeftDown, LeftDoubleClick, LeftUp, Other };

enum class RepeatAction {
  None,   // not a repeat button, or a message that means nothing here
  Start,  // press: Press(), apply its step, (re)start the repeat timer
  Stop,   // release: kill the repeat timer
};

// The hook's decision for a mouse message aimed at `target`; `onSettingsWindow`
// tells whether the target's parent is the settings window. A double click
// counts as a press of its own.
RepeatAction RepeatActionFor(MouseEvent event, ControlId target, bool onSettingsWindow);

class AutoRepeat {
 public:
  // A press on `button`: remembers it and restarts the accumulator. Returns
  // the press's own step, 1.
  std::int32_t Press(ControlId button);

  // One tick of the repeat timer: adds 0.3 and returns the integer part.
  std::int32_t Tick();

  // The button pressed last (None before the first press).
  ControlId Button() const { return button_; }

 private:
  std::int32_t CurrentStep() const;

  ControlId button_ = ControlId::None;
  double step_ = 0.0;
};

}  // namespace kestrimo::ui
