#include "ui/rules/AutoRepeat.h"

#include <limits>

#include "ui/rules/PositionButtons.h"

namespace kestrimo::ui {

RepeatAction RepeatActionFor(MouseEvent event, ControlId target, bool onSettingsWindow) {
  if (!onSettingsWindow || !IsRepeatButton(target)) return RepeatAction::None;
  switch (event) {
    case MouseEvent::LeftDown:
    case MouseEvent::LeftDoubleClick: return RepeatAction::Start;
    case MouseEvent::LeftUp: return RepeatAction::Stop;
    case MouseEvent::Other: break;
  }
  return RepeatAction::None;
}

std::int32_t AutoRepeat::Press(ControlId button) {
  button_ = button;
  step_ = 1.0;
  const std::int32_t steps = CurrentStep();
  step_ = 0.0;
  return steps;
}

std::int32_t AutoRepeat::Tick() {
  step_ += 0.3;
  return CurrentStep();
}

// Truncation toward zero; held for decades the sum would pass the 32-bit
// range, so it saturates there instead of overflowing.
std::int32_t AutoRepeat::CurrentStep() const {
  constexpr double kMax = std::numeric_limits<std::int32_t>::max();
  if (step_ >= kMax) return std::numeric_limits<std::int32_t>::max();
  return static_cast<std::int32_t>(step_);
}

}  // namespace kestrimo::ui
