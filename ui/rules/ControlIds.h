// The settings window's control ids and refresh codes, as the editing rules
// name them. The values are the dialog template's ids; the enumerators carry
// the resource symbols' names without their IDC_ prefix, so they never clash
// with the symbols' macros.
#pragma once

#include <cstdint>

namespace kestrimo::ui {

enum class ControlId : std::int32_t {
  None = 0,
  BtnOk = 5002,           // IDC_BTN_OK
  BtnAbout = 5008,        // IDC_BTN_ABOUT
  MaskFile = 5068,        // IDC_MASK_FILE
  ChkEnable = 5071,       // IDC_CHK_ENABLE
  MoveLeft = 5082,        // IDC_MOVE_LEFT
  MoveRight = 5083,       // IDC_MOVE_RIGHT
  MoveUp = 5084,          // IDC_MOVE_UP
  MoveDown = 5085,        // IDC_MOVE_DOWN
  WidthMinus = 5086,      // IDC_WIDTH_MINUS
  WidthPlus = 5087,       // IDC_WIDTH_PLUS
  HeightMinus = 5088,     // IDC_HEIGHT_MINUS
  EditOpacity = 5089,     // IDC_EDIT_OPACITY
  SpinOpacity = 5090,     // IDC_SPIN_OPACITY
  EditEdgeBlur = 5091,    // IDC_EDIT_EDGE_BLUR
  SpinEdgeBlur = 5092,    // IDC_SPIN_EDGE_BLUR
  HeightPlus = 5093,      // IDC_HEIGHT_PLUS
  ResetExpand = 5094,     // IDC_RESET_EXPAND
  EditScreenBlur = 5095,  // IDC_EDIT_SCREEN_BLUR
  SpinScreenBlur = 5096,  // IDC_SPIN_SCREEN_BLUR
  ColorSwatch = 5100,     // IDC_COLOR_SWATCH
  BtnCancel = 5103,       // IDC_BTN_CANCEL
  CornerNW = 5107,        // IDC_CORNER_NW
  CornerSW = 5108,        // IDC_CORNER_SW
  CornerNE = 5109,        // IDC_CORNER_NE
  CornerSE = 5110,        // IDC_CORNER_SE
  BtnBrowse = 5115,       // IDC_BTN_BROWSE
  BtnClearMask = 5116,    // IDC_BTN_CLEAR_MASK
  BtnFindLogo = 5117,     // IDC_BTN_FIND_LOGO
  ChkSubtractLogo = 5118, // IDC_CHK_SUBTRACT_LOGO
  ChkLogoPresence = 5119, // IDC_CHK_LOGO_PRESENCE
  ChkShowMask = 5120,     // IDC_CHK_SHOW_MASK
  Preview = 5121,         // IDC_PREVIEW
  ChkInvert = 5122,       // IDC_CHK_INVERT
  LblOpacity = 5130,      // IDC_LBL_OPACITY
  ChannelName = 5145,     // IDC_CHANNEL_NAME
  GrpFile = 5148,         // IDC_GRP_FILE
  GrpChannel = 5149,      // IDC_GRP_CHANNEL
  GrpPosition = 5150,     // IDC_GRP_POSITION
  LblEdgeBlur = 5151,     // IDC_LBL_EDGE_BLUR
  LblInvert = 5152,       // IDC_LBL_INVERT
  LblShowMask = 5153,     // IDC_LBL_SHOW_MASK
  LblScreenBlur = 5154,   // IDC_LBL_SCREEN_BLUR
  LblColor = 5155,        // IDC_LBL_COLOR
  ChkSeeThrough = 5156,   // IDC_CHK_SEE_THROUGH
};

constexpr std::int32_t ToInt(ControlId id) { return static_cast<std::int32_t>(id); }

// A command's control id as the window receives it. Every int is a valid
// value of the enumeration; the rules ignore ids they do not know.
constexpr ControlId ToControlId(std::int32_t id) { return static_cast<ControlId>(id); }

// The wParam of the window's refresh message.
enum class RefreshCode : std::int32_t {
  All = 0,     // REFRESH_ALL
  Color = 1,   // REFRESH_COLOR
  Enable = 4,  // REFRESH_ENABLE
};

}  // namespace kestrimo::ui
