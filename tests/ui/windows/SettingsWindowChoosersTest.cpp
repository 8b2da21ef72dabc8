// The settings window's system choosers, its About box, its caption flashing
// and its tooltips, through the real library's exports. The choosers and the
// About box are modal: a second thread finds them among the window thread's
// windows, answers them, and meanwhile checks that frames still go through.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <functional>
#include <fstream>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "resources/ResourceIds.h"
#include "tests/support/PictureFiles.h"
#include "tests/ui/windows/SettingsWindowSession.h"
#include "tests/ui/windows/WindowTesting.h"

namespace kestrimo::testing {
namespace {

constexpr int kFrameBoundMs = 1000;
constexpr int kColourEditRed = 706;  // the colour chooser's red, green, blue edits
constexpr int kColourEditGreen = 707;
constexpr int kColourEditBlue = 708;
constexpr int kFileNameCombo = 0x47C;
constexpr int kFileNameEdit = 0x480;

std::string Text(HWND dialog, int id) { return TextA(GetDlgItem(dialog, id)); }
bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

std::string Channel7(const char* extra = "") {
  return std::string("[COMMON]\r\n[7]\r\nProcEnable=1\r\nShowMask=1\r\nMaskPosX=300\r\n"
                     "MaskPosY=200\r\nRectMaskSizeX=100\r\nRectMaskSizeY=70\r\n") + extra;
}

// A 40 x 20 picture: a key-colour (0x00FF8000) block on white.
void WriteMaskPicture(const std::string& path) {
  Picture picture(40, 20);
  for (int y = 0; y < picture.height; ++y)
    for (int x = 0; x < picture.width; ++x)
      picture.At(x, y) = (x > 5 && x < 34 && y > 3 && y < 16) ? Rgba{0, 128, 255, 255}
                                                               : Rgba{255, 255, 255, 255};
  std::ofstream(path, std::ios::binary) << EncodeBmp(picture, 24);
}

// One frame sent on a thread of its own, so that a frame held up by a lock
// shows as a time-out instead of hanging the test.
struct TimedFrame {
  SettingsWindowSession* session;
  ChannelId id;
  static DWORD WINAPI Run(void* context) {
    auto* frame = static_cast<TimedFrame*>(context);
    frame->session->Frame(frame->id);
    return 0;
  }
};

// Waits on its own thread for a dialog of the window thread that is not the
// settings window, sends frames of channels 7 and 8 while it is open, then
// runs the action on it.
class ModalDriver {
 public:
  using Action = std::function<void(HWND box)>;

  ModalDriver(SettingsWindowSession& session, HWND settings, Action action)
      : session_(session), settings_(settings), uiThread_(GetCurrentThreadId()),
        action_(std::move(action)) {
    thread_ = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
  }
  ~ModalDriver() {
    Join();
    for (HANDLE frame : frameThreads_) {
      WaitForSingleObject(frame, 10000);
      CloseHandle(frame);
    }
  }
  void Join() {
    if (thread_ == nullptr) return;
    WaitForSingleObject(thread_, 20000);
    CloseHandle(thread_);
    thread_ = nullptr;
  }

  HWND Box() const { return box_; }
  // The slowest frame while the box was open, or -1 when one did not return.
  int SlowestFrameMs() const { return slowestMs_; }

 private:
  static BOOL CALLBACK Collect(HWND window, LPARAM context) {
    auto* driver = reinterpret_cast<ModalDriver*>(context);
    if (window != driver->settings_ && IsWindowVisible(window) && ClassName(window) == "#32770") {
      driver->box_ = window;
      return FALSE;
    }
    return TRUE;
  }

  static DWORD WINAPI Run(void* self) {
    auto* driver = static_cast<ModalDriver*>(self);
    const DWORD start = GetTickCount();
    while (driver->box_ == nullptr && GetTickCount() - start < 10000) {
      Sleep(20);
      EnumThreadWindows(driver->uiThread_, &Collect, reinterpret_cast<LPARAM>(driver));
    }
    if (driver->box_ == nullptr) return 0;
    Sleep(150);  // let the box finish setting itself up
    driver->SendFrames();
    driver->action_(driver->box_);
    return 0;
  }

  void SendFrames() {
    for (ChannelId id : {ChannelId{8}, ChannelId{7}}) {
      frames_.push_back(TimedFrame{&session_, id});
    }
    for (TimedFrame& frame : frames_) {
      const DWORD start = GetTickCount();
      HANDLE thread = CreateThread(nullptr, 0, &TimedFrame::Run, &frame, 0, nullptr);
      frameThreads_.push_back(thread);
      if (WaitForSingleObject(thread, kFrameBoundMs * 2) != WAIT_OBJECT_0) {
        slowestMs_ = -1;
        return;
      }
      slowestMs_ = std::max<int>(slowestMs_, static_cast<int>(GetTickCount() - start));
    }
  }

  SettingsWindowSession& session_;
  HWND settings_;
  DWORD uiThread_;
  Action action_;
  HANDLE thread_ = nullptr;
  volatile HWND box_ = nullptr;
  std::vector<TimedFrame> frames_;
  std::vector<HANDLE> frameThreads_;
  int slowestMs_ = 0;
};

void PressButton(HWND box, int id) { PostMessageA(box, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

// Types a full path into the open-file dialog's name field and opens it.
void ChooseFile(HWND box, const std::string& path) {
  HWND name = GetDlgItem(box, kFileNameCombo);
  if (name == nullptr) name = GetDlgItem(box, kFileNameEdit);
  ASSERT_NE(name, nullptr);
  SendMessageA(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str()));
  PressButton(box, IDOK);
}

std::string ColourText(HWND box) {
  return Text(box, kColourEditRed) + "," + Text(box, kColourEditGreen) + "," +
         Text(box, kColourEditBlue);
}

void SetColour(HWND box, int red, int green, int blue) {
  SetDlgItemInt(box, kColourEditRed, red, FALSE);
  SetDlgItemInt(box, kColourEditGreen, green, FALSE);
  SetDlgItemInt(box, kColourEditBlue, blue, FALSE);
}

HWND OpenSettings(SettingsWindowSession& session) {
  session.Frame(7);
  session.ShowSettings();
  return session.Window();
}

TEST(SettingsWindow, FileChooserSetsTheMaskPictureWhileFramesRun) {
  const std::string picture = ProgramFilePath("chosen-mask.bmp");
  WriteMaskPicture(picture);
  SettingsWindowSession session(
      Channel7("ExpandX=12\r\nLogoModelFile=C:\\old-model.png\r\n[8]\r\nProcEnable=1\r\n").c_str());
  ASSERT_TRUE(session.Loaded());
  HWND dialog = OpenSettings(session);
  ASSERT_NE(dialog, nullptr);
  EXPECT_FALSE(Enabled(dialog, IDC_BTN_CLEAR_MASK));

  // Cancelling changes nothing.
  {
    ModalDriver driver(session, dialog, [](HWND box) { PressButton(box, IDCANCEL); });
    Click(dialog, IDC_BTN_BROWSE);
    driver.Join();
    ASSERT_NE(driver.Box(), nullptr);
    EXPECT_EQ(GetWindow(driver.Box(), GW_OWNER), nullptr);  // the chooser has no parent
  }
  PumpMessages(100);
  EXPECT_EQ(Text(dialog, IDC_MASK_FILE), Cp1251(u8"Ф а й л   м а с к и   н е   в ы б р а н"));

  ModalDriver driver(session, dialog, [&](HWND box) { ChooseFile(box, picture); });
  Click(dialog, IDC_BTN_BROWSE);
  driver.Join();
  ASSERT_NE(driver.Box(), nullptr);
  EXPECT_GE(driver.SlowestFrameMs(), 0) << "a frame waited for the open chooser";
  EXPECT_LT(driver.SlowestFrameMs(), kFrameBoundMs);
  session.Frame(7);  // the driver's frames ended on channel 7
  PumpMessages(150);
  EXPECT_FALSE(IsWindow(driver.Box()));
  EXPECT_EQ(Text(dialog, IDC_MASK_FILE), picture);
  EXPECT_TRUE(Enabled(dialog, IDC_BTN_CLEAR_MASK));
  EXPECT_TRUE(Enabled(dialog, IDC_CHK_INVERT));
  Click(dialog, IDC_BTN_OK);
  session.Done();
  EXPECT_EQ(SettingsWindowSession::SavedText("7", "MaskFileName"), picture);
  EXPECT_EQ(SettingsWindowSession::Saved("7", "ExpandX"), 0);
  EXPECT_EQ(SettingsWindowSession::SavedText("7", "LogoModelFile"), "");  // not this picture's
  EXPECT_EQ(SettingsWindowSession::SavedText("8", "MaskFileName"), "");
}

TEST(SettingsWindow, ColourChooserKeepsOnCancelAndStoresOnOk) {
  SettingsWindowSession session(Channel7("ColorKey=255\r\n").c_str());
  ASSERT_TRUE(session.Loaded());
  HWND dialog = OpenSettings(session);
  ASSERT_NE(dialog, nullptr);

  // Starts from the channel's colour; a colour set and then cancelled is dropped.
  std::string initial;
  {
    ModalDriver driver(session, dialog, [&](HWND box) {
      initial = ColourText(box);
      SetColour(box, 10, 200, 30);
      PressButton(box, IDCANCEL);
    });
    Click(dialog, IDC_COLOR_SWATCH);
    driver.Join();
    ASSERT_NE(driver.Box(), nullptr);
    EXPECT_GE(driver.SlowestFrameMs(), 0) << "a frame waited for the open chooser";
    EXPECT_LT(driver.SlowestFrameMs(), kFrameBoundMs);
  }
  EXPECT_EQ(initial, "255,0,0");
  // OK without a change keeps the colour.
  std::string second;
  {
    ModalDriver driver(session, dialog, [&](HWND box) {
      second = ColourText(box);
      PressButton(box, IDOK);
    });
    Click(dialog, IDC_COLOR_SWATCH);
    driver.Join();
    ASSERT_NE(driver.Box(), nullptr);
  }
  EXPECT_EQ(second, "255,0,0");
  // OK with a new colour stores it as 0x00BBGGRR.
  std::string set;
  {
    ModalDriver driver(session, dialog, [&](HWND box) {
      SetColour(box, 10, 200, 30);
      Sleep(100);
      set = ColourText(box);
      PressButton(box, IDOK);
    });
    Click(dialog, IDC_COLOR_SWATCH);
    driver.Join();
    ASSERT_NE(driver.Box(), nullptr);
  }
  EXPECT_EQ(set, "10,200,30");
  Click(dialog, IDC_BTN_OK);
  session.Done();
  EXPECT_EQ(SettingsWindowSession::Saved("7", "ColorKey"), (30 << 16) | (200 << 8) | 10);
}

TEST(SettingsWindow, AboutBoxOpensModallyWhileFramesRun) {
  SettingsWindowSession session(Channel7("[8]\r\nProcEnable=1\r\n").c_str());
  ASSERT_TRUE(session.Loaded());
  HWND dialog = OpenSettings(session);
  ASSERT_NE(dialog, nullptr);
  for (int opening = 0; opening < 2; ++opening) {
    bool named = false;
    ModalDriver driver(session, dialog, [&](HWND box) {
      named = FindWindowExA(box, nullptr, "Static", Cp1251(u8"KRD_Kestrimo плагин").c_str()) !=
                  nullptr &&
              FindWindowExA(box, nullptr, "Static", "Ver.1.02") != nullptr;
      PressButton(box, IDOK);
    });
    Click(dialog, IDC_BTN_ABOUT);
    driver.Join();
    ASSERT_NE(driver.Box(), nullptr) << opening;
    EXPECT_TRUE(named) << opening;
    EXPECT_GE(driver.SlowestFrameMs(), 0) << "a frame waited for the About box";
    EXPECT_LT(driver.SlowestFrameMs(), kFrameBoundMs);
    EXPECT_FALSE(IsWindow(driver.Box()));
    EXPECT_TRUE(IsWindow(dialog));
  }
}

// Caption toggles of one window, counted by a hook on the window's thread.
HWND flashWindow = nullptr;
std::vector<WPARAM> captionStates;

LRESULT CALLBACK CountCaptionToggles(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && message->hwnd == flashWindow && message->message == WM_NCACTIVATE)
    captionStates.push_back(message->wParam);
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(SettingsWindow, SecondShowTogglesTheCaptionFourTimes) {
  SettingsWindowSession session(Channel7().c_str());
  ASSERT_TRUE(session.Loaded());
  HWND dialog = OpenSettings(session);
  ASSERT_NE(dialog, nullptr);
  SetForegroundWindow(dialog);
  SetFocus(dialog);
  PumpMessages(200);
  flashWindow = dialog;
  captionStates.clear();
  HHOOK hook = SetWindowsHookExA(WH_CALLWNDPROC, &CountCaptionToggles, nullptr,
                                 GetCurrentThreadId());
  ASSERT_NE(hook, nullptr);
  session.ShowSettings();
  PumpMessages(1000);
  const std::vector<WPARAM> first = captionStates;
  PumpMessages(400);  // the timer has stopped: no more toggles
  const std::vector<WPARAM> later = captionStates;
  UnhookWindowsHookEx(hook);
  ASSERT_EQ(first.size(), 4u);
  EXPECT_EQ(later.size(), 4u);
  for (std::size_t i = 1; i < first.size(); ++i)
    EXPECT_NE(first[i] != 0, first[i - 1] != 0) << i;  // each tick flips the look
  EXPECT_TRUE(IsWindow(dialog));
}

BOOL CALLBACK FindToolTip(HWND window, LPARAM context) {
  auto* found = reinterpret_cast<std::pair<HWND, HWND>*>(context);
  if (ClassName(window) == TOOLTIPS_CLASSA && GetWindow(window, GW_OWNER) == found->first) {
    found->second = window;
    return FALSE;
  }
  return TRUE;
}

TEST(SettingsWindow, EightControlsHaveTheirTooltips) {
  SettingsWindowSession session(Channel7().c_str());
  ASSERT_TRUE(session.Loaded());
  HWND dialog = OpenSettings(session);
  ASSERT_NE(dialog, nullptr);
  std::pair<HWND, HWND> found{dialog, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), &FindToolTip, reinterpret_cast<LPARAM>(&found));
  HWND tip = found.second;
  ASSERT_NE(tip, nullptr);
  ASSERT_EQ(SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0), 8);
  std::map<int, std::string> texts;
  for (int i = 0; i < 8; ++i) {
    char text[256] = {};
    TOOLINFOA tool{};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.lpszText = text;
    ASSERT_TRUE(SendMessageA(tip, TTM_ENUMTOOLSA, i, reinterpret_cast<LPARAM>(&tool))) << i;
    EXPECT_TRUE(tool.uFlags & TTF_IDISHWND) << i;  // each covers its whole control
    EXPECT_EQ(tool.hwnd, dialog) << i;
    texts[GetDlgCtrlID(reinterpret_cast<HWND>(tool.uId))] = text;
  }
  const std::map<int, std::string> expected{
      {IDC_PREVIEW, Cp1251(u8"Маска логотипа")},
      {IDC_COLOR_SWATCH, Cp1251(u8"Выбрать цвет маски")},
      {IDC_BTN_BROWSE, Cp1251(u8"Выбрать маску")},
      {IDC_BTN_CLEAR_MASK, Cp1251(u8"Отключить маску")},
      {IDC_BTN_FIND_LOGO, Cp1251(u8"Найти логотип")},
      // Tools hand out only the first 80 characters of a text.
      {IDC_CHK_SUBTRACT_LOGO,
       Cp1251(u8"Цвет и прозрачность логотипа, найденные кнопкой «Найти логотип», вычитаются "
              u8"из картинки вместо закрашивания.").substr(0, 80)},
      {IDC_CHK_LOGO_PRESENCE,
       Cp1251(u8"Кадры без логотипа (реклама, заставки) остаются нетронутыми; как только "
              u8"логотип появляется снова, он снова убирается.").substr(0, 80)},
      {IDC_CHK_SEE_THROUGH,
       Cp1251(u8"Когда камера движется, картинка под непрозрачным логотипом восстанавливается "
              u8"по тому, что было видно.").substr(0, 80)}};
  EXPECT_EQ(texts, expected);
}

}  // namespace
}  // namespace kestrimo::testing
