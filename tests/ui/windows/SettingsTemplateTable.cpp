#include "tests/ui/windows/SettingsTemplateTable.h"

#include <commctrl.h>

#include "resources/ResourceIds.h"

namespace kestrimo::testing {

namespace {
constexpr DWORD kPush = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kIconButton = BS_ICON | BS_CENTER | BS_VCENTER | WS_TABSTOP;
constexpr DWORD kLabel = SS_LEFT | WS_GROUP;
constexpr DWORD kValueEdit = WS_BORDER | ES_NUMBER | ES_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD kSpin = UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS;
constexpr DWORD kRightCheck = BS_AUTOCHECKBOX | BS_LEFTTEXT | BS_RIGHT | BS_VCENTER | WS_TABSTOP;
constexpr DWORD kGlyph = SS_BITMAP | SS_CENTERIMAGE | SS_REALSIZEIMAGE;
constexpr DWORD kGroup = BS_GROUPBOX;
}  // namespace

const std::array<ExpectedControl, 49> kSettingsControls = {{
    {5002, "Button", u8"ОК", 0, kPush, 0, 112, 187, 41, 13, false, 0},
    {5008, "Button", u8"О плагине", 0, kPush, 0, 3, 187, 46, 13, false, 0},
    {5082, "Button", u8"LT", 0, kIconButton, 0, 138, 78, 14, 12, true, 5022},
    {5083, "Button", u8"RT", 0, kIconButton, 0, 166, 78, 14, 12, true, 5023},
    {5084, "Button", u8"UP", 0, kIconButton, 0, 152, 66, 14, 12, true, 5016},
    {5085, "Button", u8"DN", 0, kIconButton, 0, 152, 91, 14, 12, true, 5021},
    {5130, "Static", u8"Прозрачность:", 0, kLabel, 0, 100, 162, 51, 8, true, 0},
    {5089, "Edit", u8"", 0, kValueEdit, 0, 167, 160, 28, 12, true, 0},
    {5090, "msctls_updown32", u8"Spin1", 0, kSpin, 0, 185, 159, 11, 14, true, 0},
    {5103, "Button", u8"Отмена", 0, kPush, 0, 164, 187, 41, 13, false, 0},
    {5107, "Button", u8"NW", 0, kIconButton, 0, 138, 66, 14, 12, true, 5019},
    {5108, "Button", u8"SW", 0, kIconButton, 0, 138, 91, 14, 12, true, 5024},
    {5109, "Button", u8"NE", 0, kIconButton, 0, 166, 66, 14, 12, true, 5020},
    {5110, "Button", u8"SE", 0, kIconButton, 0, 166, 91, 14, 12, true, 5018},
    {5068, "Edit", u8"", 0, WS_BORDER | ES_READONLY | ES_AUTOHSCROLL | WS_TABSTOP, 0,
     10, 40, 145, 13, true, 0},
    {5115, "Button", u8"...", 0, kIconButton, 0, 160, 40, 15, 13, true, 5015},
    {5120, "Button", u8"", 0, kRightCheck, 0, 72, 162, 9, 8, true, 0},
    {5121, "Static", u8"", 0, SS_BITMAP | SS_CENTERIMAGE | SS_NOTIFY | WS_BORDER, 0,
     11, 66, 122, 52, true, 0},
    {5150, "Button", u8"", 0, kGroup, 0, 6, 58, 197, 65, false, 0},
    {5100, "Button", u8"Color Key", 0, BS_OWNERDRAW | WS_TABSTOP, 0, 58, 131, 27, 12, true, 0},
    {5148, "Button", u8"Файл логотипа", 0, kGroup, 0, 6, 30, 197, 27, false, 0},
    {-1, "Static", nullptr, 5011, kGlyph, WS_EX_DLGMODALFRAME, 152, 78, 14, 12, false, 0},
    {-1, "Button", u8"", 0, kGroup, 0, 6, 123, 197, 54, false, 0},
    {5145, "Static", u8"Static", 0, SS_CENTER | SS_CENTERIMAGE | WS_GROUP, WS_EX_STATICEDGE,
     10, 12, 90, 13, true, 0},
    {5149, "Button", u8"Канал", 0, kGroup, 0, 6, 2, 197, 27, false, 0},
    {5086, "Button", u8"-", 0, kIconButton, 0, 138, 105, 14, 12, true, 5028},
    {5087, "Button", u8"+", 0, kIconButton, 0, 166, 105, 14, 12, true, 5026},
    {-1, "Static", nullptr, 5012, kGlyph, WS_EX_DLGMODALFRAME, 152, 105, 14, 12, false, 0},
    {5116, "Button", u8"...", 0, kIconButton, 0, 180, 40, 15, 13, true, 5017},
    {5155, "Static", u8"Цвет маски:", 0, kLabel, 0, 10, 133, 43, 8, true, 0},
    {5088, "Button", u8"-", 0, kIconButton, 0, 182, 91, 14, 12, true, 5025},
    {5093, "Button", u8"+", 0, kIconButton, 0, 182, 66, 14, 12, true, 5027},
    {-1, "Static", nullptr, 5012, kGlyph, WS_EX_DLGMODALFRAME, 182, 78, 14, 12, false, 0},
    {5094, "Button", u8"-", 0, kIconButton, 0, 182, 105, 14, 12, true, 5029},
    {5091, "Edit", u8"", 0, kValueEdit, 0, 167, 145, 28, 12, true, 0},
    {5092, "msctls_updown32", u8"Spin1", 0, kSpin, 0, 185, 144, 11, 14, true, 0},
    {5151, "Static", u8"Размытие границ:", 0, kLabel, 0, 100, 147, 63, 8, true, 0},
    {5071, "Button", u8"Включить обработку", 0, BS_AUTOCHECKBOX | BS_LEFT | WS_TABSTOP, 0,
     108, 14, 85, 10, true, 0},
    {-1, "Static", u8"", 0, SS_ETCHEDFRAME | SS_SUNKEN, 0, 0, 0, 209, 183, false, 0},
    {5122, "Button", u8"", 0, kRightCheck, 0, 72, 147, 9, 8, true, 0},
    {5152, "Static", u8"Инверсия маски:", 0, kLabel, 0, 10, 147, 60, 8, true, 0},
    {5153, "Static", u8"Показать маску:", 0, kLabel, 0, 10, 161, 58, 8, true, 0},
    {5095, "Edit", u8"", 0, kValueEdit, 0, 167, 130, 28, 12, true, 0},
    {5096, "msctls_updown32", u8"Spin1", 0, kSpin, 0, 185, 129, 11, 14, true, 0},
    {5154, "Static", u8"Размытие фона:", 0, kLabel, 0, 100, 132, 57, 8, true, 0},
    {5117, "Button", u8"Найти логотип", 0, kPush, 0, 53, 187, 55, 13, false, 0},
    {5118, "Button", u8"Вычитать логотип", 0, BS_AUTOCHECKBOX | WS_TABSTOP, 0,
     108, 30, 80, 8, false, 0},
    {5119, "Button", u8"Только при логотипе", 0, BS_AUTOCHECKBOX | WS_TABSTOP, 0,
     108, 58, 85, 8, false, 0},
    {5156, "Button", u8"Восстанавливать по прошлым кадрам", 0, BS_AUTOCHECKBOX | WS_TABSTOP, 0,
     10, 123, 150, 8, false, 0},
}};

const std::array<int, 34> kBoundControlIds = {
    5155, 5152, 5122, 5095, 5096, 5154, 5153, 5120, 5071, 5151, 5092, 5091,
    5094, 5087, 5086, 5088, 5093, 5084, 5083, 5082, 5085, 5108, 5110, 5107,
    5109, 5116, 5145, 5115, 5100, 5130, 5121, 5068, 5090, 5089};

}  // namespace kestrimo::testing
