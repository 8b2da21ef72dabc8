// The check boxes: the field each one stores and what follows.
#include <gtest/gtest.h>

#include "model/ChannelSettings.h"
#include "ui/rules/CheckBoxes.h"

namespace kestrimo::ui {
namespace {

TEST(CheckBoxes, EachBoxStoresItsOwnFlag) {
  ChannelSettings r = TableDefaults();
  ChannelSettings expected = r;
  CheckBoxClicked(r, ControlId::ChkEnable, 1);
  expected.ProcEnable = 1;
  EXPECT_EQ(r, expected);
  CheckBoxClicked(r, ControlId::ChkShowMask, 0);
  expected.ShowMask = 0;
  EXPECT_EQ(r, expected);
  CheckBoxClicked(r, ControlId::ChkInvert, 1);
  expected.InvertMask = 1;
  EXPECT_EQ(r, expected);
  CheckBoxClicked(r, ControlId::ChkLogoPresence, 1);
  expected.LogoPresenceCheck = 1;
  EXPECT_EQ(r, expected);
  CheckBoxClicked(r, ControlId::ChkSeeThrough, 1);
  expected.LogoSeeThrough = 1;
  EXPECT_EQ(r, expected);
}

TEST(CheckBoxes, EnableAndShowMaskRecomputeTheEnabledStatesInvertRebuilds) {
  ChannelSettings r = TableDefaults();
  EditEffect refresh;
  refresh.refresh = RefreshCode::Enable;
  EXPECT_EQ(CheckBoxClicked(r, ControlId::ChkEnable, 0), refresh);
  EXPECT_EQ(CheckBoxClicked(r, ControlId::ChkShowMask, 1), refresh);
  EditEffect rebuild;
  rebuild.rebuildMask = true;
  EXPECT_EQ(CheckBoxClicked(r, ControlId::ChkInvert, 0), rebuild);
}

TEST(CheckBoxes, OtherIdsChangeNothing) {
  ChannelSettings r = TableDefaults();
  const ChannelSettings before = r;
  EXPECT_EQ(CheckBoxClicked(r, ControlId::LblInvert, 1), EditEffect{});
  EXPECT_EQ(CheckBoxClicked(r, ControlId::MoveLeft, 1), EditEffect{});
  EXPECT_EQ(r, before);
}

// The subtract box can only take the model away; a click that finds nothing
// to take (or a box checked against the record) just shows the record again.
TEST(CheckBoxes, SubtractBoxOnlyEverDropsTheModel) {
  const struct {
    const char* model;
    std::int32_t checkState;
    const char* modelAfter;
    EditEffect effect;
  } cases[] = {
      {"C:\\m\\7.png", 0, "", EditEffect{true, true, RefreshCode::All}},
      {"C:\\m\\7.png", 1, "C:\\m\\7.png", EditEffect{false, false, RefreshCode::All}},
      {"", 0, "", EditEffect{false, false, RefreshCode::All}},
  };
  for (const auto& c : cases) {
    ChannelSettings r = TableDefaults();
    r.MaskFileName = "C:\\m\\7.bmp";
    r.LogoModelFile = c.model;
    r.LogoPresenceCheck = 1;
    r.LogoSeeThrough = 1;  // needs no model: it stays whatever the box does
    ChannelSettings expected = r;
    expected.LogoModelFile = c.modelAfter;
    // The presence check weighs frames against the model: it goes with it.
    if (*c.model != 0 && *c.modelAfter == 0) expected.LogoPresenceCheck = 0;
    EXPECT_EQ(CheckBoxClicked(r, ControlId::ChkSubtractLogo, c.checkState), c.effect)
        << c.model << " " << c.checkState;
    EXPECT_EQ(r, expected) << c.model << " " << c.checkState;
  }
}

TEST(CheckBoxes, StateShownForAnyNonZeroFlagIsChecked) {
  ChannelSettings r = TableDefaults();
  r.ProcEnable = 7;  // files may hold any non-zero value for "on"
  r.ShowMask = 0;
  r.InvertMask = -1;
  EXPECT_EQ(CheckStateOf(r, ControlId::ChkEnable), 1);
  EXPECT_EQ(CheckStateOf(r, ControlId::ChkShowMask), 0);
  EXPECT_EQ(CheckStateOf(r, ControlId::ChkInvert), 1);
  EXPECT_EQ(CheckStateOf(r, ControlId::ColorSwatch), 0);
  EXPECT_EQ(CheckStateOf(r, ControlId::ChkSubtractLogo), 0);
  r.LogoModelFile = "C:\\m\\7.png";
  EXPECT_EQ(CheckStateOf(r, ControlId::ChkSubtractLogo), 1);
}

}  // namespace
}  // namespace kestrimo::ui
