// The rules' control ids are the resource symbols' ids.
#include <gtest/gtest.h>

#include "resources/ResourceIds.h"
#include "ui/rules/ControlIds.h"

namespace kestrimo::ui {
namespace {

TEST(ControlIds, MatchTheResourceSymbols) {
  const struct {
    ControlId id;
    int symbol;
  } pairs[] = {
      {ControlId::BtnOk, IDC_BTN_OK},
      {ControlId::BtnAbout, IDC_BTN_ABOUT},
      {ControlId::MaskFile, IDC_MASK_FILE},
      {ControlId::ChkEnable, IDC_CHK_ENABLE},
      {ControlId::MoveLeft, IDC_MOVE_LEFT},
      {ControlId::MoveRight, IDC_MOVE_RIGHT},
      {ControlId::MoveUp, IDC_MOVE_UP},
      {ControlId::MoveDown, IDC_MOVE_DOWN},
      {ControlId::WidthMinus, IDC_WIDTH_MINUS},
      {ControlId::WidthPlus, IDC_WIDTH_PLUS},
      {ControlId::HeightMinus, IDC_HEIGHT_MINUS},
      {ControlId::EditOpacity, IDC_EDIT_OPACITY},
      {ControlId::SpinOpacity, IDC_SPIN_OPACITY},
      {ControlId::EditEdgeBlur, IDC_EDIT_EDGE_BLUR},
      {ControlId::SpinEdgeBlur, IDC_SPIN_EDGE_BLUR},
      {ControlId::HeightPlus, IDC_HEIGHT_PLUS},
      {ControlId::ResetExpand, IDC_RESET_EXPAND},
      {ControlId::EditScreenBlur, IDC_EDIT_SCREEN_BLUR},
      {ControlId::SpinScreenBlur, IDC_SPIN_SCREEN_BLUR},
      {ControlId::ColorSwatch, IDC_COLOR_SWATCH},
      {ControlId::BtnCancel, IDC_BTN_CANCEL},
      {ControlId::CornerNW, IDC_CORNER_NW},
      {ControlId::CornerSW, IDC_CORNER_SW},
      {ControlId::CornerNE, IDC_CORNER_NE},
      {ControlId::CornerSE, IDC_CORNER_SE},
      {ControlId::BtnBrowse, IDC_BTN_BROWSE},
      {ControlId::BtnClearMask, IDC_BTN_CLEAR_MASK},
      {ControlId::BtnFindLogo, IDC_BTN_FIND_LOGO},
      {ControlId::ChkSubtractLogo, IDC_CHK_SUBTRACT_LOGO},
      {ControlId::ChkLogoPresence, IDC_CHK_LOGO_PRESENCE},
      {ControlId::ChkShowMask, IDC_CHK_SHOW_MASK},
      {ControlId::Preview, IDC_PREVIEW},
      {ControlId::ChkInvert, IDC_CHK_INVERT},
      {ControlId::LblOpacity, IDC_LBL_OPACITY},
      {ControlId::ChannelName, IDC_CHANNEL_NAME},
      {ControlId::GrpFile, IDC_GRP_FILE},
      {ControlId::GrpChannel, IDC_GRP_CHANNEL},
      {ControlId::GrpPosition, IDC_GRP_POSITION},
      {ControlId::LblEdgeBlur, IDC_LBL_EDGE_BLUR},
      {ControlId::LblInvert, IDC_LBL_INVERT},
      {ControlId::LblShowMask, IDC_LBL_SHOW_MASK},
      {ControlId::LblScreenBlur, IDC_LBL_SCREEN_BLUR},
      {ControlId::LblColor, IDC_LBL_COLOR},
      {ControlId::ChkSeeThrough, IDC_CHK_SEE_THROUGH},
  };
  for (const auto& pair : pairs) EXPECT_EQ(ToInt(pair.id), pair.symbol);
}

}  // namespace
}  // namespace kestrimo::ui
