// The About box run modally from the library's resources: its contents, how
// it closes, where it appears, and that a second opening does not stack up.
#include <gtest/gtest.h>

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "resources/ResourceIds.h"
#include "tests/ui/windows/WindowTesting.h"
#include "ui/AboutDlg.h"

namespace kestrimo::testing {
namespace {

constexpr INT_PTR kTimedOut = 999;

// A visible dialog of this thread with an IDOK button: the About box (the
// settings window has none).
BOOL CALLBACK MatchAboutBox(HWND window, LPARAM found) {
  if (ClassName(window) != "#32770" || !IsWindowVisible(window) ||
      GetDlgItem(window, IDOK) == nullptr)
    return TRUE;
  reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
  return TRUE;
}

std::vector<HWND> AboutBoxes() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), &MatchAboutBox, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Runs the box; once it shows, action gets its window (and should close it).
// A box still open after five seconds is ended with kTimedOut.
struct ModalRun {
  std::function<void(HWND)> action;
  DWORD started = GetTickCount();
  bool acted = false;
};
ModalRun* currentRun = nullptr;

void CALLBACK OnRunTimer(HWND, UINT, UINT_PTR, DWORD) {
  const std::vector<HWND> boxes = AboutBoxes();
  if (boxes.empty() || currentRun == nullptr) return;
  if (!currentRun->acted) {
    currentRun->acted = true;
    currentRun->action(boxes.front());
  } else if (GetTickCount() - currentRun->started > 5000) {
    EndDialog(boxes.front(), kTimedOut);
  }
}

INT_PTR RunAboutBox(CAboutDlg& about, std::function<void(HWND)> action) {
  ModalRun run;
  run.action = std::move(action);
  currentRun = &run;
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, &OnRunTimer);
  const INT_PTR result = about.DoModal();
  KillTimer(nullptr, timer);
  currentRun = nullptr;
  return result;
}

void PressKey(HWND box, WPARAM key) {
  HWND focus = GetFocus();
  PostMessageA(focus != nullptr ? focus : box, WM_KEYDOWN, key, 1);
  PostMessageA(focus != nullptr ? focus : box, WM_KEYUP, key, 0xC0000001);
}

void ClickOk(HWND box) { PostMessageA(GetDlgItem(box, IDOK), BM_CLICK, 0, 0); }

struct SeenControl {
  int id;
  std::string className;
  std::string textA;
  std::wstring textW;
  DWORD style;
};

struct SeenBox {
  std::wstring caption;
  DWORD style = 0, exStyle = 0;
  std::vector<SeenControl> controls;
  SIZE emblem{};
  RECT rect{};
};

SeenBox Look(HWND box) {
  SeenBox seen;
  seen.caption = TextW(box);
  seen.style = GetWindowLongA(box, GWL_STYLE);
  seen.exStyle = GetWindowLongA(box, GWL_EXSTYLE);
  GetWindowRect(box, &seen.rect);
  for (HWND child : Children(box)) {
    seen.controls.push_back({GetDlgCtrlID(child), ClassName(child), TextA(child), TextW(child),
                             static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE))});
    auto bitmap = reinterpret_cast<HBITMAP>(SendMessageA(child, STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP size{};
    if (ClassName(child) == "Static" && bitmap != nullptr && GetObjectA(bitmap, sizeof size, &size))
      seen.emblem = {size.bmWidth, size.bmHeight};
  }
  return seen;
}

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

class AboutBox : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_NE(PluginModule(), nullptr) << pluginLibraryPath; }
};

TEST_F(AboutBox, ShowsTheNameTheVersionAndTheEmblem) {
  CAboutDlg about(nullptr, PluginModule());
  SeenBox seen;
  const INT_PTR result = RunAboutBox(about, [&](HWND box) {
    seen = Look(box);
    CaptureWindow(box, "about-box");
    ClickOk(box);
  });
  EXPECT_EQ(result, IDOK);
  EXPECT_EQ(about.Window(), nullptr);
  EXPECT_EQ(seen.caption, L"");
  EXPECT_EQ(seen.style & (WS_POPUP | WS_CAPTION | DS_MODALFRAME),
            static_cast<DWORD>(WS_POPUP | WS_CAPTION | DS_MODALFRAME));
  EXPECT_FALSE(seen.style & WS_SYSMENU) << "no close box";
  EXPECT_TRUE(seen.exStyle & WS_EX_TOOLWINDOW);
  ASSERT_EQ(seen.controls.size(), 5u);
  const SeenControl& ok = seen.controls[0];
  EXPECT_EQ(ok.id, IDOK);
  EXPECT_EQ(ok.className, "Button");
  EXPECT_EQ(ok.textA, "OK");
  EXPECT_EQ(ok.style & 0x0F, static_cast<DWORD>(BS_DEFPUSHBUTTON));
  EXPECT_EQ(seen.controls[1].textA, "Ver.1.02");
  EXPECT_EQ(seen.controls[2].textW, Wide(u8"KRD_Kestrimo плагин"));
  EXPECT_EQ(seen.controls[2].textA, Cp1251(u8"KRD_Kestrimo плагин"));
  for (int i : {1, 2}) {
    EXPECT_EQ(seen.controls[i].className, "Static");
    EXPECT_EQ(seen.controls[i].style & (SS_TYPEMASK | SS_CENTERIMAGE | WS_GROUP),
              static_cast<DWORD>(SS_CENTER | SS_CENTERIMAGE | WS_GROUP));
  }
  EXPECT_EQ(seen.controls[3].className, "Button");
  EXPECT_EQ(seen.controls[3].style & BS_TYPEMASK, static_cast<DWORD>(BS_GROUPBOX));
  EXPECT_EQ(seen.controls[4].className, "Static");
  EXPECT_EQ(seen.controls[4].style & SS_TYPEMASK, static_cast<DWORD>(SS_BITMAP));
  EXPECT_EQ(seen.emblem.cx, 32);
  EXPECT_EQ(seen.emblem.cy, 32);
  for (int i = 1; i < 5; ++i) EXPECT_EQ(seen.controls[i].id, IDC_STATIC) << i;
}

TEST_F(AboutBox, EnterEscapeAndOkEachCloseItAndItOpensAgain) {
  CAboutDlg about(nullptr, PluginModule());
  EXPECT_EQ(RunAboutBox(about, [](HWND box) { PressKey(box, VK_RETURN); }), IDOK);
  EXPECT_EQ(RunAboutBox(about, [](HWND box) { PressKey(box, VK_ESCAPE); }), IDCANCEL);
  EXPECT_EQ(RunAboutBox(about, &ClickOk), IDOK);
  EXPECT_TRUE(AboutBoxes().empty());
}

TEST_F(AboutBox, OpeningItWhileOpenDoesNotStackASecondBox) {
  CAboutDlg about(nullptr, PluginModule());
  INT_PTR second = 0;
  std::size_t boxes = 0;
  const INT_PTR first = RunAboutBox(about, [&](HWND box) {
    second = about.DoModal();
    boxes = AboutBoxes().size();
    ClickOk(box);
  });
  EXPECT_EQ(first, IDOK);
  EXPECT_EQ(second, -1);
  EXPECT_EQ(boxes, 1u);
}

TEST_F(AboutBox, WithoutAnOwnerItIsCentredOnTheWorkArea) {
  CAboutDlg about(nullptr, PluginModule());
  RECT rect{};
  RunAboutBox(about, [&](HWND box) {
    GetWindowRect(box, &rect);
    ClickOk(box);
  });
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_NEAR(Centre(rect).x, Centre(work).x, 1);
  EXPECT_NEAR(Centre(rect).y, Centre(work).y, 1);
}

INT_PTR CALLBACK PlainDialogProc(HWND, UINT message, WPARAM, LPARAM) {
  return message == WM_INITDIALOG;
}

TEST_F(AboutBox, AnOwnerIsDisabledWhileItRunsAndCentresIt) {
  HWND owner = CreateDialogParamA(PluginModule(), MAKEINTRESOURCEA(IDD_SETTINGS), nullptr,
                                  &PlainDialogProc, 0);
  ASSERT_NE(owner, nullptr);
  SetWindowPos(owner, nullptr, 40, 30, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_SHOWWINDOW);
  CAboutDlg about(owner, PluginModule());
  bool ownerEnabled = true;
  RECT rect{};
  const INT_PTR result = RunAboutBox(about, [&](HWND box) {
    ownerEnabled = IsWindowEnabled(owner);
    GetWindowRect(box, &rect);
    PressKey(box, VK_ESCAPE);
  });
  EXPECT_EQ(result, IDCANCEL);
  EXPECT_FALSE(ownerEnabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  RECT ownerRect{};
  GetWindowRect(owner, &ownerRect);
  EXPECT_NEAR(Centre(rect).x, Centre(ownerRect).x, 1);
  EXPECT_NEAR(Centre(rect).y, Centre(ownerRect).y, 1);
  DestroyWindow(owner);
}

}  // namespace
}  // namespace kestrimo::testing
