// Template 5000 as the library's resources hold it, and the window that the
// system builds from it.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <set>

#include "resources/ResourceIds.h"
#include "tests/ui/windows/DialogTemplate.h"
#include "tests/ui/windows/SettingsTemplateTable.h"
#include "tests/ui/windows/WindowTesting.h"

namespace kestrimo::testing {
namespace {

constexpr WORD kRussian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);
constexpr DWORD kChildVisible = WS_CHILD | WS_VISIBLE;

std::wstring Lower(std::wstring text) {
  CharLowerW(text.data());
  return text;
}

std::wstring FromAscii(const char* ascii) {
  return std::wstring(ascii, ascii + std::strlen(ascii));
}

TEST(SettingsTemplate, IsARussianExtendedTemplateWithTheWindowsFrame) {
  ASSERT_NE(PluginModule(), nullptr) << pluginLibraryPath;
  const auto dialog = LoadDialogTemplate(PluginModule(), IDD_SETTINGS, kRussian);
  ASSERT_TRUE(dialog.has_value());
  EXPECT_EQ(dialog->style, 0x00C800C0u);
  EXPECT_EQ(dialog->exStyle, static_cast<DWORD>(WS_EX_TOOLWINDOW));
  EXPECT_EQ(dialog->cx, 209);
  EXPECT_EQ(dialog->cy, 203);
  EXPECT_EQ(dialog->caption, Wide(u8"KRD_Kestrimo плагин"));
  EXPECT_EQ(dialog->pointSize, 8);
  EXPECT_EQ(dialog->typeface, L"MS Sans Serif");
  EXPECT_FALSE(LoadDialogTemplate(PluginModule(), IDD_SETTINGS,
                                  MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)).has_value());
}

TEST(SettingsTemplate, HoldsEveryControlInTabOrder) {
  ASSERT_NE(PluginModule(), nullptr);
  const auto dialog = LoadDialogTemplate(PluginModule(), IDD_SETTINGS, kRussian);
  ASSERT_TRUE(dialog.has_value());
  ASSERT_EQ(dialog->items.size(), kSettingsControls.size());
  for (std::size_t i = 0; i < kSettingsControls.size(); ++i) {
    const ExpectedControl& want = kSettingsControls[i];
    const TemplateItem& item = dialog->items[i];
    SCOPED_TRACE(::testing::Message() << "control #" << i + 1 << " id " << want.id);
    EXPECT_EQ(item.id, static_cast<DWORD>(want.id));
    EXPECT_EQ(Lower(item.className), Lower(FromAscii(want.className)));
    if (want.caption != nullptr) {
      EXPECT_FALSE(item.caption.isNumber);
      EXPECT_EQ(item.caption.text, Wide(want.caption));
    } else {
      EXPECT_TRUE(item.caption.isNumber);
      EXPECT_EQ(item.caption.number, want.bitmap);
    }
    EXPECT_EQ(item.style, want.style | kChildVisible) << std::hex << item.style;
    EXPECT_EQ(item.exStyle, want.exStyle);
    EXPECT_EQ(item.x, want.x);
    EXPECT_EQ(item.y, want.y);
    EXPECT_EQ(item.cx, want.cx);
    EXPECT_EQ(item.cy, want.cy);
  }
}

TEST(SettingsTemplate, TheBoundControlsAreTheMarkedOnes) {
  std::set<int> marked;
  for (const ExpectedControl& control : kSettingsControls)
    if (control.bound) marked.insert(control.id);
  const std::set<int> bound(kBoundControlIds.begin(), kBoundControlIds.end());
  EXPECT_EQ(bound.size(), kBoundControlIds.size());
  EXPECT_EQ(marked, bound);
}

struct CreatedStyles {
  DWORD style;
  DWORD exStyle;
};

// What the system makes of a control's template styles: every dialog control
// gets WS_EX_NOPARENTNOTIFY, a modal frame brings a window edge, a sunken
// static a static edge, and a border may turn into a client edge.
CreatedStyles AsCreated(const ExpectedControl& want, DWORD createdStyle) {
  CreatedStyles out{want.style | kChildVisible, want.exStyle | WS_EX_NOPARENTNOTIFY};
  if (want.exStyle & WS_EX_DLGMODALFRAME) out.exStyle |= WS_EX_WINDOWEDGE;
  if (std::strcmp(want.className, "Static") == 0 && (want.style & SS_SUNKEN))
    out.exStyle |= WS_EX_STATICEDGE;
  if ((want.style & WS_BORDER) && !(createdStyle & WS_BORDER)) {
    out.style &= ~WS_BORDER;
    out.exStyle |= WS_EX_CLIENTEDGE;
  }
  return out;
}

INT_PTR CALLBACK TrivialDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

// The window the system builds from template 5000, with a dialog procedure
// that does nothing.
class SettingsWindowFromResources : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(PluginModule(), nullptr) << pluginLibraryPath;
    INITCOMMONCONTROLSEX classes{sizeof classes, ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&classes);
    dialog = CreateDialogParamA(PluginModule(), MAKEINTRESOURCEA(IDD_SETTINGS), nullptr,
                                &TrivialDialogProc, 0);
    ASSERT_NE(dialog, nullptr) << GetLastError();
  }
  void TearDown() override {
    if (dialog != nullptr) DestroyWindow(dialog);
  }
  HWND dialog = nullptr;
};

TEST_F(SettingsWindowFromResources, HasTheCaptionStyleAndSize) {
  ASSERT_EQ(GetACP(), 1251u) << "the tests run with the Russian ANSI code page";
  EXPECT_EQ(TextW(dialog), Wide(u8"KRD_Kestrimo плагин"));
  EXPECT_EQ(TextA(dialog), Cp1251(u8"KRD_Kestrimo плагин"));
  const DWORD style = GetWindowLongA(dialog, GWL_STYLE);
  EXPECT_EQ(style & 0x00C800C0u, 0x00C800C0u) << std::hex << style;
  EXPECT_EQ(style & (WS_POPUP | WS_CHILD | WS_VISIBLE), 0u) << std::hex << style;
  const DWORD exStyle = GetWindowLongA(dialog, GWL_EXSTYLE);
  EXPECT_TRUE(exStyle & WS_EX_TOOLWINDOW) << std::hex << exStyle;
  EXPECT_FALSE(exStyle & WS_EX_APPWINDOW) << std::hex << exStyle;
  RECT client{};
  GetClientRect(dialog, &client);
  const RECT expected = DialogUnitsToPixels(dialog, 0, 0, 209, 203);
  EXPECT_EQ(client.right, expected.right);
  EXPECT_EQ(client.bottom, expected.bottom);
}

TEST_F(SettingsWindowFromResources, UsesMsSansSerifOfEightPoints) {
  auto font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  LOGFONTA description{};
  ASSERT_GT(GetObjectA(font, sizeof description, &description), 0);
  EXPECT_STREQ(description.lfFaceName, "MS Sans Serif");
  HDC screen = GetDC(nullptr);
  EXPECT_EQ(description.lfHeight, -MulDiv(8, GetDeviceCaps(screen, LOGPIXELSY), 72));
  ReleaseDC(nullptr, screen);
}

TEST_F(SettingsWindowFromResources, CreatesEveryControlInTabOrder) {
  const std::vector<HWND> children = Children(dialog);
  ASSERT_EQ(children.size(), kSettingsControls.size());
  for (std::size_t i = 0; i < children.size(); ++i) {
    const ExpectedControl& want = kSettingsControls[i];
    HWND child = children[i];
    SCOPED_TRACE(::testing::Message() << "control #" << i + 1 << " id " << want.id);
    EXPECT_EQ(GetDlgCtrlID(child), want.id);
    EXPECT_EQ(lstrcmpiA(ClassName(child).c_str(), want.className), 0) << ClassName(child);
    if (want.caption != nullptr) {
      EXPECT_EQ(TextW(child), Wide(want.caption));
      EXPECT_EQ(TextA(child), Cp1251(want.caption));
    }
    const DWORD style = GetWindowLongA(child, GWL_STYLE);
    const DWORD exStyle = GetWindowLongA(child, GWL_EXSTYLE);
    const CreatedStyles expected = AsCreated(want, style);
    EXPECT_EQ(style, expected.style) << std::hex << style;
    EXPECT_EQ(exStyle, expected.exStyle) << std::hex << exStyle;
    const RECT placed = RectInParent(child);
    const RECT wanted = DialogUnitsToPixels(dialog, want.x, want.y, want.cx, want.cy);
    EXPECT_EQ(placed.left, wanted.left);
    EXPECT_EQ(placed.top, wanted.top);
    if (lstrcmpiA(want.className, UPDOWN_CLASSA) == 0) continue;  // sized by its buddy later
    EXPECT_EQ(placed.right, wanted.right);
    EXPECT_EQ(placed.bottom, wanted.bottom);
  }
}

TEST_F(SettingsWindowFromResources, GlyphStaticsShowTheirBitmaps) {
  int glyphs = 0;
  for (HWND child : Children(dialog)) {
    if (GetDlgCtrlID(child) != IDC_STATIC || ClassName(child) != "Static") continue;
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_BITMAP) continue;
    auto bitmap = reinterpret_cast<HBITMAP>(SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
    ASSERT_NE(bitmap, nullptr);
    BITMAP size{};
    ASSERT_GT(GetObjectA(bitmap, sizeof size, &size), 0);
    EXPECT_EQ(size.bmWidth, 15);
    EXPECT_EQ(size.bmHeight, 12);
    ++glyphs;
  }
  EXPECT_EQ(glyphs, 3);
}

// The window puts an icon on fifteen buttons when it opens; each icon loads
// from the library and the button takes it.
TEST_F(SettingsWindowFromResources, IconButtonsTakeTheirIcons) {
  int buttons = 0;
  for (const ExpectedControl& control : kSettingsControls) {
    if (control.icon == 0) continue;
    SCOPED_TRACE(::testing::Message() << "button " << control.id << " icon " << control.icon);
    HANDLE icon = LoadImageA(PluginModule(), MAKEINTRESOURCEA(control.icon), IMAGE_ICON, 0, 0,
                             LR_SHARED);
    ASSERT_NE(icon, nullptr);
    HWND button = GetDlgItem(dialog, control.id);
    ASSERT_NE(button, nullptr);
    SendMessageA(button, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon));
    EXPECT_EQ(reinterpret_cast<HANDLE>(SendMessageA(button, BM_GETIMAGE, IMAGE_ICON, 0)), icon);
    ++buttons;
  }
  EXPECT_EQ(buttons, 15);
  CaptureWindow(dialog, "settings-window-template");
}

}  // namespace
}  // namespace kestrimo::testing
