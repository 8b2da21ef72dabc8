// The settings window through the real library's exports: the test program is
// the host. Each scenario starts from a fresh Plugin_Init, so each runs in a
// process of its own (one ctest entry per test).
#include <gtest/gtest.h>

#include <windows.h>

#include <atomic>
#include <string>

#include "resources/ResourceIds.h"
#include "tests/ui/windows/SettingsWindowSession.h"
#include "tests/ui/windows/WindowTesting.h"

namespace kestrimo::testing {
namespace {

// Channel 7 with a rectangle mask, processing and show-mask as given.
std::string Channel7(int procEnable, int showMask, int posX = 300, int sizeX = 100) {
  return "[7]\r\nMaskPosX=" + std::to_string(posX) + "\r\nMaskPosY=200\r\nRectMaskSizeX=" +
         std::to_string(sizeX) + "\r\nRectMaskSizeY=70\r\nProcEnable=" +
         std::to_string(procEnable) + "\r\nShowMask=" + std::to_string(showMask) +
         "\r\nScreenBlur=3\r\nEdgeBlur=2\r\nOpacity=60\r\n";
}

std::string Text(HWND dialog, int id) { return TextA(GetDlgItem(dialog, id)); }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// Sets an edit's text as typing would; EN_CHANGE follows at once.
void SetEdit(HWND dialog, int id, const char* text) {
  SetDlgItemTextA(dialog, id, text);
  PumpMessages(60);
}

TEST(SettingsWindow, OpensClosesAndOpensAgain) {
  SettingsWindowSession session(("[COMMON]\r\nDlgWndPosX=40\r\nDlgWndPosY=30\r\n" +
                                 Channel7(1, 0)).c_str());
  ASSERT_TRUE(session.Loaded());
  session.Frame(7, "First");
  session.ShowSettings();
  HWND dialog = session.Window();
  ASSERT_NE(dialog, nullptr);
  RECT rect{};
  GetWindowRect(dialog, &rect);
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.top, 30);
  EXPECT_EQ(Text(dialog, IDC_CHANNEL_NAME), "First");
  EXPECT_EQ(Text(dialog, IDC_EDIT_SCREEN_BLUR), "3");
  EXPECT_EQ(Text(dialog, IDC_EDIT_EDGE_BLUR), "2");
  EXPECT_EQ(Text(dialog, IDC_EDIT_OPACITY), "60");
  EXPECT_EQ(Text(dialog, IDC_MASK_FILE), Cp1251(u8"Ф а й л   м а с к и   н е   в ы б р а н"));

  // Enter and Escape do not close it; "Отмена" does.
  SendMessageA(dialog, WM_COMMAND, IDOK, 0);
  SendMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  EXPECT_TRUE(IsWindow(dialog));
  Click(dialog, IDC_BTN_CANCEL);
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_TRUE(session.SettingsWindows().empty());

  session.ShowSettings();
  dialog = session.Window();
  ASSERT_NE(dialog, nullptr);
  Click(dialog, IDC_BTN_OK);
  EXPECT_FALSE(IsWindow(dialog));
  // The close box cancels too.
  session.ShowSettings();
  dialog = session.Window();
  ASSERT_NE(dialog, nullptr);
  SendMessageA(dialog, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(dialog));
}

TEST(SettingsWindow, SecondShowFlashesTheOpenWindow) {
  SettingsWindowSession session(("[COMMON]\r\n" + Channel7(1, 0)).c_str());
  ASSERT_TRUE(session.Loaded());
  session.Frame(7);
  session.ShowSettings();
  HWND dialog = session.Window();
  ASSERT_NE(dialog, nullptr);
  SetFocus(session.Host());
  session.ShowSettings();
  EXPECT_EQ(session.SettingsWindows().size(), 1u);
  EXPECT_EQ(session.Window(), dialog);
  const HWND focus = GetFocus();
  EXPECT_TRUE(focus == dialog || IsChild(dialog, focus));
  PumpMessages(500);  // the flash timer runs out
  EXPECT_TRUE(IsWindow(dialog));
}

TEST(SettingsWindow, FirstOpeningIsCentredOnTheHost) {
  SettingsWindowSession session(nullptr);
  ASSERT_TRUE(session.Loaded());
  session.Frame(7);
  session.ShowSettings();
  HWND dialog = session.Window();
  ASSERT_NE(dialog, nullptr);
  RECT host{}, window{};
  GetWindowRect(session.Host(), &host);
  GetWindowRect(dialog, &window);
  EXPECT_NEAR((window.left + window.right) / 2, (host.left + host.right) / 2, 1);
  EXPECT_NEAR((window.top + window.bottom) / 2, (host.top + host.bottom) / 2, 1);
}

TEST(SettingsWindow, DoneWithTheWindowOpenSavesItsLastPosition) {
  SettingsWindowSession session(("[COMMON]\r\n" + Channel7(1, 0)).c_str());
  ASSERT_TRUE(session.Loaded());
  session.Frame(7);
  session.ShowSettings();
  HWND dialog = session.Window();
  ASSERT_NE(dialog, nullptr);
  Click(dialog, IDC_CORNER_NE);
  SetWindowPos(dialog, nullptr, 123, 77, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  session.Done();
  EXPECT_FALSE(IsWindow(dialog));
  EXPECT_EQ(SettingsWindowSession::Saved("COMMON", "DlgWndPosX"), 123);
  EXPECT_EQ(SettingsWindowSession::Saved("COMMON", "DlgWndPosY"), 77);
  EXPECT_EQ(SettingsWindowSession::Saved("7", "MaskPosX"), 668);  // the change is kept
}

TEST(SettingsWindow, EnableStatesFollowProcessingPictureAndShowMask) {
  const std::string logo = ProgramFilePath("logo.bmp");
  const std::string model = ProgramFilePath("logo-model.bmp");
  WriteLogoPicture(logo);
  WriteLogoModel(model);
  SettingsWindowSession session(("[COMMON]\r\n" + Channel7(0, 1) +
                                 "[8]\r\nProcEnable=1\r\nShowMask=0\r\nMaskFileName=" + logo +
                                 "\r\nLogoModelFile=" + model + "\r\n")
                                    .c_str());
  ASSERT_TRUE(session.Loaded());
  session.Frame(7);
  session.ShowSettings();
  HWND dialog = session.Window();
  ASSERT_NE(dialog, nullptr);

  // Processing off: every editing control is disabled but the box itself.
  for (int id : {IDC_MOVE_LEFT, IDC_CORNER_NE, IDC_EDIT_OPACITY, IDC_BTN_BROWSE, IDC_COLOR_SWATCH,
                 IDC_BTN_CLEAR_MASK, IDC_CHK_INVERT, IDC_CHK_SHOW_MASK, IDC_EDIT_SCREEN_BLUR,
                 IDC_CHK_SUBTRACT_LOGO})
    EXPECT_FALSE(Enabled(dialog, id)) << id;
  EXPECT_TRUE(Enabled(dialog, IDC_CHK_ENABLE));
  EXPECT_TRUE(Enabled(dialog, IDC_BTN_OK));

  // Processing on, show-mask on, no picture.
  Click(dialog, IDC_CHK_ENABLE);
  EXPECT_TRUE(Enabled(dialog, IDC_MOVE_LEFT));
  EXPECT_TRUE(Enabled(dialog, IDC_EDIT_OPACITY));
  EXPECT_TRUE(Enabled(dialog, IDC_LBL_OPACITY));
  EXPECT_FALSE(Enabled(dialog, IDC_BTN_CLEAR_MASK));
  EXPECT_FALSE(Enabled(dialog, IDC_CHK_INVERT));
  EXPECT_FALSE(Enabled(dialog, IDC_LBL_INVERT));
  // Show-mask off disables the opacity row.
  Click(dialog, IDC_CHK_SHOW_MASK);
  EXPECT_FALSE(Enabled(dialog, IDC_EDIT_OPACITY));
  EXPECT_FALSE(Enabled(dialog, IDC_SPIN_OPACITY));
  EXPECT_TRUE(Enabled(dialog, IDC_EDIT_EDGE_BLUR));

  // Channel 8 has a picture and its model: the refresh after the switch
  // enables their controls.
  session.Frame(8);
  PumpMessages(100);
  EXPECT_EQ(Text(dialog, IDC_MASK_FILE), logo);
  EXPECT_TRUE(Enabled(dialog, IDC_BTN_CLEAR_MASK));
  EXPECT_TRUE(Enabled(dialog, IDC_CHK_INVERT));
  EXPECT_TRUE(Enabled(dialog, IDC_CHK_SUBTRACT_LOGO));
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_CHK_SUBTRACT_LOGO), BST_CHECKED);
  EXPECT_FALSE(Enabled(dialog, IDC_EDIT_OPACITY));
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_CHK_SHOW_MASK), BST_UNCHECKED);
  CaptureWindow(dialog, "settings-window");

  // Dropping the picture drops the model with it.
  Click(dialog, IDC_BTN_CLEAR_MASK);
  EXPECT_FALSE(Enabled(dialog, IDC_BTN_CLEAR_MASK));
  EXPECT_EQ(Text(dialog, IDC_MASK_FILE), Cp1251(u8"Ф а й л   м а с к и   н е   в ы б р а н"));
  EXPECT_FALSE(Enabled(dialog, IDC_CHK_SUBTRACT_LOGO));
  EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_CHK_SUBTRACT_LOGO), BST_UNCHECKED);
  Click(dialog, IDC_BTN_OK);
  session.Done();
  EXPECT_EQ(SettingsWindowSession::Saved("7", "ProcEnable"), 1);
  EXPECT_EQ(SettingsWindowSession::Saved("7", "ShowMask"), 0);
  EXPECT_EQ(SettingsWindowSession::SavedText("8", "MaskFileName"), "");
  EXPECT_EQ(SettingsWindowSession::SavedText("8", "LogoModelFile"), "");
}

// The subtract box shows whether the channel on screen has a logo model;
// unchecking forgets the model, "Отмена" brings it back and "ОК" keeps it gone.
// The box that rebuilds from earlier frames needs only the picture, and stays
// when the model goes.
TEST(SettingsWindow, SubtractBoxFollowsTheChannelsModel) {
  const std::string logo = ProgramFilePath("logo.bmp");
  const std::string model = ProgramFilePath("logo-model.bmp");
  WriteLogoPicture(logo);
  WriteLogoModel(model);
  const std::string picture = "ProcEnable=1\r\nMaskFileName=" + logo + "\r\n";
  SettingsWindowSession session(("[COMMON]\r\n[7]\r\n" + picture + "LogoModelFile=" + model +
                                 "\r\nLogoPresenceCheck=1\r\nLogoSeeThrough=1\r\n[8]\r\n" + picture)
                                    .c_str());
  ASSERT_TRUE(session.Loaded());
  session.Frame(7);
  session.ShowSettings();
  HWND dialog = session.Window();
  ASSERT_NE(dialog, nullptr);
  const auto shows = [&](UINT check, bool enabled) {
    for (const int box : {IDC_CHK_SUBTRACT_LOGO, IDC_CHK_LOGO_PRESENCE}) {
      EXPECT_EQ(IsDlgButtonChecked(dialog, box), check) << box;
      EXPECT_EQ(Enabled(dialog, box), enabled) << box;
    }
  };
  const auto seeThrough = [&](UINT check) {
    EXPECT_EQ(IsDlgButtonChecked(dialog, IDC_CHK_SEE_THROUGH), check);
    EXPECT_TRUE(Enabled(dialog, IDC_CHK_SEE_THROUGH));
  };
  shows(BST_CHECKED, true);
  seeThrough(BST_CHECKED);
  session.Frame(8);  // a picture but no model
  PumpMessages(100);
  shows(BST_UNCHECKED, false);
  seeThrough(BST_UNCHECKED);
  session.Frame(7);
  PumpMessages(100);
  shows(BST_CHECKED, true);

  Click(dialog, IDC_CHK_SUBTRACT_LOGO);
  shows(BST_UNCHECKED, false);
  seeThrough(BST_CHECKED);
  EXPECT_TRUE(Enabled(dialog, IDC_BTN_CLEAR_MASK));  // the picture stays
  Click(dialog, IDC_BTN_CANCEL);
  EXPECT_FALSE(IsWindow(dialog));

  session.ShowSettings();
  dialog = session.Window();
  ASSERT_NE(dialog, nullptr);
  shows(BST_CHECKED, true);
  Click(dialog, IDC_CHK_SUBTRACT_LOGO);
  session.Frame(8);
  PumpMessages(100);
  Click(dialog, IDC_CHK_SEE_THROUGH);
  seeThrough(BST_CHECKED);
  Click(dialog, IDC_BTN_OK);
  session.Done();
  EXPECT_EQ(SettingsWindowSession::SavedText("7", "MaskFileName"), logo);
  EXPECT_EQ(SettingsWindowSession::SavedText("7", "LogoModelFile"), "");
  EXPECT_EQ(SettingsWindowSession::SavedText("7", "LogoPresenceCheck"), "");
  EXPECT_EQ(SettingsWindowSession::SavedText("7", "LogoSeeThrough"), "1");
  EXPECT_EQ(SettingsWindowSession::SavedText("8", "LogoSeeThrough"), "1");
}

TEST(SettingsWindow, CornersPlaceTheMaskOfTheChannelOnScreen) {
  SettingsWindowSession session(("[COMMON]\r\n" + Channel7(1, 0) +
                                 "[8]\r\nProcEnable=1\r\nRectMaskSizeX=101\r\nRectMaskSizeY=70\r\n")
                                    .c_str());
  ASSERT_TRUE(session.Loaded());
  session.Frame(7);
  session.ShowSettings();
  HWND dialog = session.Window();
  ASSERT_NE(dialog, nullptr);
  Click(dialog, IDC_CORNER_NE);
  session.Frame(8);
  PumpMessages(60);
  Click(dialog, IDC_CORNER_SW);
  Click(dialog, IDC_RESET_EXPAND);  // no picture: nothing changes
  Click(dialog, IDC_BTN_OK);
  session.Done();
  EXPECT_EQ(SettingsWindowSession::Saved("7", "MaskPosX"), 668);
  EXPECT_EQ(SettingsWindowSession::Saved("7", "MaskPosY"), 85);
  EXPECT_EQ(SettingsWindowSession::Saved("8", "MaskPosX"), 100);  // 101 / 2 + 50
  EXPECT_EQ(SettingsWindowSession::Saved("8", "MaskPosY"), 491);  // 526 - 35
}

TEST(SettingsWindow, HeldButtonsRepeatAndStopAtTheirLimits) {
  SettingsWindowSession session(
      ("[COMMON]\r\n" + Channel7(1, 0, 766, 5)).c_str());
  ASSERT_TRUE(session.Loaded());
  session.Frame(7);
  session.ShowSettings();
  HWND dialog = session.Window();
  ASSERT_NE(dialog, nullptr);
  HoldMouse(dialog, IDC_MOVE_RIGHT, 600);   // 767 at once, 768 at the fourth tick
  HoldMouse(dialog, IDC_MOVE_DOWN, 10);     // a short click: one unit
  HoldMouse(dialog, IDC_WIDTH_MINUS, 10);   // 5 -> 4
  HoldMouse(dialog, IDC_WIDTH_MINUS, 10);   // stays 4
  Click(dialog, IDC_BTN_OK);
  session.Done();
  EXPECT_EQ(SettingsWindowSession::Saved("7", "MaskPosX"), 768);
  EXPECT_EQ(SettingsWindowSession::Saved("7", "MaskPosY"), 201);
  EXPECT_EQ(SettingsWindowSession::Saved("7", "RectMaskSizeX"), 4);
}

TEST(SettingsWindow, ValueFieldsStoreGoodValuesAndReportBadOnes) {
  SettingsWindowSession session(("[COMMON]\r\n" + Channel7(1, 1)).c_str());
  ASSERT_TRUE(session.Loaded());
  session.Frame(7);
  session.ShowSettings();
  HWND dialog = session.Window();
  ASSERT_NE(dialog, nullptr);
  MessageBoxCloser closer(dialog);
  SetEdit(dialog, IDC_EDIT_SCREEN_BLUR, "7");
  EXPECT_TRUE(closer.Texts().empty());
  SetEdit(dialog, IDC_EDIT_SCREEN_BLUR, "11");
  EXPECT_EQ(Text(dialog, IDC_EDIT_SCREEN_BLUR), "7");
  SetEdit(dialog, IDC_EDIT_EDGE_BLUR, "");
  EXPECT_EQ(Text(dialog, IDC_EDIT_EDGE_BLUR), "2");
  SetEdit(dialog, IDC_EDIT_OPACITY, "101");
  SetEdit(dialog, IDC_EDIT_OPACITY, "05");
  EXPECT_EQ(Text(dialog, IDC_EDIT_OPACITY), "5");
  const auto texts = closer.Texts();
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0], Cp1251(u8"Значение должно быть цифрой от 0 до 10"));
  EXPECT_EQ(texts[1], Cp1251(u8"Значение должно быть цифрой от 0 до 10"));
  EXPECT_EQ(texts[2], Cp1251(u8"Значение прозрачности должно быть цифрой от 0 до 100"));
  Click(dialog, IDC_BTN_OK);
  session.Done();
  EXPECT_EQ(SettingsWindowSession::Saved("7", "ScreenBlur"), 7);
  EXPECT_EQ(SettingsWindowSession::Saved("7", "EdgeBlur"), 2);
  EXPECT_EQ(SettingsWindowSession::Saved("7", "Opacity"), 5);
}

TEST(SettingsWindow, CancelRestoresEveryChannelAndKeepsNewOnes) {
  SettingsWindowSession session(
      ("[DEFAULT]\r\nMaskPosX=222\r\n" + Channel7(1, 0) + "[8]\r\nProcEnable=1\r\nMaskPosX=333\r\n")
          .c_str());
  ASSERT_TRUE(session.Loaded());
  session.Frame(7);
  session.ShowSettings();
  HWND dialog = session.Window();
  ASSERT_NE(dialog, nullptr);
  Click(dialog, IDC_CORNER_NE);
  SetEdit(dialog, IDC_EDIT_SCREEN_BLUR, "9");
  session.Frame(8);
  PumpMessages(60);
  Click(dialog, IDC_CORNER_SW);
  session.Frame(9, "New");  // first seen while the window is open
  PumpMessages(60);
  EXPECT_EQ(Text(dialog, IDC_CHANNEL_NAME), "New");
  Click(dialog, IDC_CHK_ENABLE);
  Click(dialog, IDC_BTN_CANCEL);
  EXPECT_FALSE(IsWindow(dialog));
  session.Done();
  EXPECT_EQ(SettingsWindowSession::Saved("7", "MaskPosX"), 300);
  EXPECT_EQ(SettingsWindowSession::Saved("7", "ScreenBlur"), 3);
  EXPECT_EQ(SettingsWindowSession::Saved("8", "MaskPosX"), 333);
  EXPECT_EQ(SettingsWindowSession::Saved("9", "MaskPosX"), 222);
  EXPECT_EQ(SettingsWindowSession::Saved("9", "ProcEnable"), 0);
}

// Frames of channels 7 and 8 in turn, as fast as they go, until stopped.
struct VideoLoop {
  SettingsWindowSession* session;
  std::atomic<int> frames{0};
  std::atomic<bool> stop{false};

  static DWORD WINAPI Run(void* context) {
    auto* loop = static_cast<VideoLoop*>(context);
    while (!loop->stop) {
      loop->session->Frame(loop->frames % 50 < 25 ? 7 : 8);
      ++loop->frames;
      Sleep(1);  // a host paces its frames; a tight loop would starve the window
    }
    return 0;
  }
};

TEST(SettingsWindow, FramesOnAnotherThreadNeverWaitForTheWindow) {
  SettingsWindowSession session(("[COMMON]\r\n" + Channel7(1, 1) + "[8]\r\nProcEnable=1\r\n").c_str());
  ASSERT_TRUE(session.Loaded());
  session.Frame(7);
  session.ShowSettings();
  HWND dialog = session.Window();
  ASSERT_NE(dialog, nullptr);
  VideoLoop shared{&session};
  // Only the video thread sends frames while it runs.
  HANDLE video = CreateThread(nullptr, 0, &VideoLoop::Run, &shared, 0, nullptr);
  MessageBoxCloser closer(dialog);
  const DWORD start = GetTickCount();
  while (GetTickCount() - start < 2000) {
    Click(dialog, IDC_CORNER_NE);
    Click(dialog, IDC_CHK_INVERT);
    Click(dialog, IDC_CHK_SHOW_MASK);
    SetEdit(dialog, IDC_EDIT_EDGE_BLUR, "12");  // a message box while frames run
    SetEdit(dialog, IDC_EDIT_OPACITY, "40");
  }
  const int before = shared.frames;
  PumpMessages(200);
  EXPECT_GT(shared.frames, before);  // the video thread still runs
  shared.stop = true;
  EXPECT_EQ(WaitForSingleObject(video, 10000), WAIT_OBJECT_0);
  CloseHandle(video);
  SendMessageA(dialog, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindow(dialog));
}

TEST(SettingsWindow, WithoutSseOnlyTheNoticeIsShown) {
  SettingsWindowSession session(nullptr, 2);
  ASSERT_TRUE(session.Loaded());
  MessageBoxCloser closer(session.Host());
  session.ShowSettings();
  EXPECT_TRUE(session.SettingsWindows().empty());
  const auto texts = closer.Texts();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0], Cp1251(u8"      Настройки плагина недоступны. \nПроцессор не поддерживает команды SSE."));
}

}  // namespace
}  // namespace kestrimo::testing
