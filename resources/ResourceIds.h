// Resource and control identifiers of the plug-in's windows. Plain macros, so
// that both the resource compiler and C++ can read them.
#pragma once

// Dialog templates.
#define IDD_SETTINGS 5000
#define IDD_ABOUT 5002

// Controls of the settings window.
#define IDC_BTN_OK 5002
#define IDC_BTN_ABOUT 5008
#define IDC_MASK_FILE 5068
#define IDC_CHK_ENABLE 5071
#define IDC_MOVE_LEFT 5082
#define IDC_MOVE_RIGHT 5083
#define IDC_MOVE_UP 5084
#define IDC_MOVE_DOWN 5085
#define IDC_WIDTH_MINUS 5086
#define IDC_WIDTH_PLUS 5087
#define IDC_HEIGHT_MINUS 5088
#define IDC_EDIT_OPACITY 5089
#define IDC_SPIN_OPACITY 5090
#define IDC_EDIT_EDGE_BLUR 5091
#define IDC_SPIN_EDGE_BLUR 5092
#define IDC_HEIGHT_PLUS 5093
#define IDC_RESET_EXPAND 5094
#define IDC_EDIT_SCREEN_BLUR 5095
#define IDC_SPIN_SCREEN_BLUR 5096
#define IDC_COLOR_SWATCH 5100
#define IDC_BTN_CANCEL 5103
#define IDC_CORNER_NW 5107
#define IDC_CORNER_SW 5108
#define IDC_CORNER_NE 5109
#define IDC_CORNER_SE 5110
#define IDC_BTN_BROWSE 5115
#define IDC_BTN_CLEAR_MASK 5116
#define IDC_BTN_FIND_LOGO 5117
#define IDC_CHK_SUBTRACT_LOGO 5118
#define IDC_CHK_LOGO_PRESENCE 5119
#define IDC_CHK_SHOW_MASK 5120
#define IDC_PREVIEW 5121
#define IDC_CHK_INVERT 5122
#define IDC_LBL_OPACITY 5130
#define IDC_CHANNEL_NAME 5145
#define IDC_GRP_FILE 5148
#define IDC_GRP_CHANNEL 5149
#define IDC_GRP_POSITION 5150
#define IDC_LBL_EDGE_BLUR 5151
#define IDC_LBL_INVERT 5152
#define IDC_LBL_SHOW_MASK 5153
#define IDC_LBL_SCREEN_BLUR 5154
#define IDC_LBL_COLOR 5155
#define IDC_CHK_SEE_THROUGH 5156

// The id of controls that nothing refers to.
#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// Bitmaps.
#define IDB_ABOUT 5004
#define IDB_MOVE_GLYPH 5011
#define IDB_SIZE_GLYPH 5012

// Icons.
#define IDI_BROWSE 5015
#define IDI_UP 5016
#define IDI_CLEAR 5017
#define IDI_CORNER_SE 5018
#define IDI_CORNER_NW 5019
#define IDI_CORNER_NE 5020
#define IDI_DOWN 5021
#define IDI_LEFT 5022
#define IDI_RIGHT 5023
#define IDI_CORNER_SW 5024
#define IDI_HEIGHT_MINUS 5025
#define IDI_WIDTH_PLUS 5026
#define IDI_HEIGHT_PLUS 5027
#define IDI_WIDTH_MINUS 5028
#define IDI_RESET 5029
