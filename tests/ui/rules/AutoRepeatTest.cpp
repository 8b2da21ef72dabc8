// The step sequence of a held button and the hook's press/release decisions.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "ui/rules/AutoRepeat.h"

namespace kestrimo::ui {
namespace {

std::vector<std::int32_t> Ticks(AutoRepeat& repeat, int count) {
  std::vector<std::int32_t> steps;
  for (int i = 0; i < count; ++i) steps.push_back(repeat.Tick());
  return steps;
}

TEST(AutoRepeatSteps, PressGivesOneThenTicksAccumulateThreeTenths) {
  AutoRepeat repeat;
  EXPECT_EQ(repeat.Press(ControlId::MoveRight), 1);
  // The tenth sum of 0.3 in double arithmetic lies just below 3.
  const std::vector<std::int32_t> expected = {0, 0, 0, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 4};
  EXPECT_EQ(Ticks(repeat, 14), expected);
}

TEST(AutoRepeatSteps, AfterOneSecondTheStepIsFiveAndKeepsGrowing) {
  AutoRepeat repeat;
  repeat.Press(ControlId::MoveUp);
  const std::vector<std::int32_t> steps = Ticks(repeat, 60);
  EXPECT_EQ(steps[19], 5);  // 20 ticks of 50 ms
  EXPECT_EQ(steps[39], 12);
  EXPECT_EQ(steps[59], 18);
  for (std::size_t i = 1; i < steps.size(); ++i) EXPECT_GE(steps[i], steps[i - 1]);
}

TEST(AutoRepeatSteps, APressRestartsTheAccumulator) {
  AutoRepeat repeat;
  repeat.Press(ControlId::MoveLeft);
  Ticks(repeat, 30);
  EXPECT_EQ(repeat.Press(ControlId::HeightPlus), 1);
  EXPECT_EQ(repeat.Button(), ControlId::HeightPlus);
  EXPECT_EQ(Ticks(repeat, 4), (std::vector<std::int32_t>{0, 0, 0, 1}));
}

TEST(AutoRepeatSteps, RemembersTheLastButton) {
  AutoRepeat repeat;
  EXPECT_EQ(repeat.Button(), ControlId::None);
  repeat.Press(ControlId::WidthMinus);
  repeat.Tick();
  EXPECT_EQ(repeat.Button(), ControlId::WidthMinus);
}

TEST(RepeatMouse, PressAndDoubleClickStartReleaseStops) {
  EXPECT_EQ(RepeatActionFor(MouseEvent::LeftDown, ControlId::MoveLeft, true), RepeatAction::Start);
  EXPECT_EQ(RepeatActionFor(MouseEvent::LeftDoubleClick, ControlId::HeightPlus, true),
            RepeatAction::Start);
  EXPECT_EQ(RepeatActionFor(MouseEvent::LeftUp, ControlId::WidthMinus, true), RepeatAction::Stop);
  EXPECT_EQ(RepeatActionFor(MouseEvent::Other, ControlId::MoveDown, true), RepeatAction::None);
}

TEST(RepeatMouse, OnlyTheEightRepeatButtonsOfTheSettingsWindowCount) {
  for (std::int32_t id = 5000; id < 5200; ++id) {
    const bool repeats = (id >= 5082 && id <= 5088) || id == 5093;
    EXPECT_EQ(RepeatActionFor(MouseEvent::LeftDown, ToControlId(id), true) == RepeatAction::Start,
              repeats)
        << id;
  }
  // Corner and reset buttons act on click, not on press.
  EXPECT_EQ(RepeatActionFor(MouseEvent::LeftDown, ControlId::CornerNE, true), RepeatAction::None);
  EXPECT_EQ(RepeatActionFor(MouseEvent::LeftUp, ControlId::ResetExpand, true), RepeatAction::None);
  // The same id in another window is not ours.
  EXPECT_EQ(RepeatActionFor(MouseEvent::LeftDown, ControlId::MoveLeft, false), RepeatAction::None);
  EXPECT_EQ(RepeatActionFor(MouseEvent::LeftUp, ControlId::MoveLeft, false), RepeatAction::None);
}

}  // namespace
}  // namespace kestrimo::ui
