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

TEST(CheckBoxes, StateShownForAnyNonZeroFlagIsChecked) {
  ChannelSettings r = TableDefaults();
  r.ProcEnable = 7;  // files may hold any non-zero value for "on"
  r.ShowMask = 0;
  r.InvertMask = -1;
  EXPECT_EQ(CheckStateOf(r, ControlId::ChkEnable), 1);
  EXPECT_EQ(CheckStateOf(r, ControlId::ChkShowMask), 0);
  EXPECT_EQ(CheckStateOf(r, ControlId::ChkInvert), 1);
  EXPECT_EQ(CheckStateOf(r, ControlId::ColorSwatch), 0);
}

}  // namespace
}  // namespace kestrimo::ui
