// The find-logo button through the real library's exports: frames of a
// real-picture clip run on a video thread while the button is pressed with
// real mouse input; the outcome is read from the window, the picture folder,
// the frames and the settings file written at the end.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <functional>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "resources/ResourceIds.h"
#include "tests/ui/windows/ClipFrames.h"
#include "tests/ui/windows/SettingsWindowSession.h"
#include "tests/ui/windows/WindowTesting.h"
#include "ui/rules/LogoFindRules.h"

namespace kestrimo::testing {
namespace {

constexpr ChannelId kChannel = 7;
constexpr int kWaitForSearchMs = 40000;

std::string Text(HWND dialog, int id) { return TextA(GetDlgItem(dialog, id)); }

std::string PictureFolder() { return ProgramFilePath("Plugins\\KRD_Kestrimo\\"); }
// A picture of the user's at the name earlier versions gave a found one.
std::string UserPicture() { return PictureFolder() + "7.bmp"; }

// The file's bytes; "missing" when it does not exist.
std::string Contents(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  if (!file) return "missing";
  std::ostringstream bytes;
  bytes << file.rdbuf();
  return bytes.str();
}

std::set<std::string> FilesInPictureFolder() {
  std::set<std::string> names;
  WIN32_FIND_DATAA found{};
  HANDLE search = FindFirstFileA((PictureFolder() + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.insert(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

void ClearPictureFolder() {
  for (const std::string& name : FilesInPictureFolder())
    DeleteFileA((PictureFolder() + name).c_str());
}

// A picture the search wrote for channel 7: new beside any other, in its folder.
bool IsFoundPicture(const std::string& path) {
  return path.starts_with(PictureFolder() + "7-") && path.ends_with(".bmp") &&
         Contents(path) != "missing";
}

// Pumps the window's messages until `done` holds; false after `ms`.
bool PumpUntil(const std::function<bool()>& done, int ms) {
  for (int waited = 0; waited < ms; waited += 50) {
    if (done()) return true;
    PumpMessages(50);
  }
  return done();
}

// A press of the left mouse button on the control, as a user makes it.
void Press(HWND dialog, int id) { HoldMouse(dialog, id, 40); }

bool Searching(HWND dialog) { return Text(dialog, IDC_BTN_FIND_LOGO) == ui::FindButtonText(true); }

// The clip's frames, looped, sent on a thread of their own as the host's
// video thread does, until stopped.
class VideoThread {
 public:
  VideoThread(SettingsWindowSession& session, const std::string& clip) : session_(session), clip_(clip) {
    frame_.resize(static_cast<std::size_t>(clip_.Width()) * clip_.Height() * 2);
    thread_ = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
  }
  ~VideoThread() { Stop(); }
  void Stop() {
    if (thread_ == nullptr) return;
    InterlockedExchange(&stop_, 1);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    thread_ = nullptr;
  }

 private:
  static DWORD WINAPI Run(void* self) {
    auto* video = static_cast<VideoThread*>(self);
    for (int i = 0; video->stop_ == 0; ++i) {
      if (!video->clip_.Read(i, video->frame_.data())) break;
      video->session_.Frame(kChannel, video->frame_.data(), "Film");
      Sleep(1);
    }
    return 0;
  }
  SettingsWindowSession& session_;
  ClipFrames clip_;
  std::vector<std::uint8_t> frame_;
  HANDLE thread_ = nullptr;
  volatile LONG stop_ = 0;
};

// A session on a clip's frame format with the settings window open.
class LogoSearch : public ::testing::Test {
 protected:
  // Opens the window on the clip NAME.y4m of the generated folder.
  void Open(const char* settings, const char* clip) {
    folder_ = LogoClipsFolder();
    ASSERT_FALSE(folder_.empty()) << "KESTRIMO_LOGO_CLIPS names the generated clips";
    session_ = std::make_unique<SettingsWindowSession>(settings);
    ASSERT_TRUE(session_->Loaded());
    ClipFrames frames(folder_ + clip + ".y4m");
    ASSERT_TRUE(frames.Open()) << folder_ << clip;
    session_->SetFormat(frames.Width(), frames.Height(), 0);
    std::vector<std::uint8_t> first(static_cast<std::size_t>(frames.Width()) * frames.Height() * 2);
    ASSERT_TRUE(frames.Read(0, first.data()));
    session_->Frame(kChannel, first.data(), "Film");
    session_->ShowSettings();
    dialog_ = session_->Window();
    ASSERT_NE(dialog_, nullptr);
    video_ = std::make_unique<VideoThread>(*session_, folder_ + clip + ".y4m");
  }
  // Presses the button and waits until the search runs.
  void StartSearch() {
    Press(dialog_, IDC_BTN_FIND_LOGO);
    ASSERT_TRUE(PumpUntil([&] { return Searching(dialog_); }, 2000));
  }
  bool WaitForTheEnd() { return PumpUntil([&] { return !Searching(dialog_); }, kWaitForSearchMs); }

  std::string folder_;
  std::unique_ptr<SettingsWindowSession> session_;
  HWND dialog_ = nullptr;
  std::unique_ptr<VideoThread> video_;
};

// Of the pixels where the logo shows (the clip differs from the clean clip by
// more than 24 in Y), those that still do after processing: counts over
// every 8th frame of the clip.
struct Remaining {
  long logo = 0;
  long left = 0;
};

Remaining LogoLeftAfterProcessing(SettingsWindowSession& session, const std::string& folder) {
  ClipFrames clip(folder + "film-sd-mark-tl.y4m");
  ClipFrames clean(folder + "film-sd-mark-tl-clean.y4m");
  const std::size_t bytes = static_cast<std::size_t>(clip.Width()) * clip.Height() * 2;
  std::vector<std::uint8_t> shown(bytes), original(bytes), truth(bytes);
  Remaining remaining;
  for (int i = 0; i < clip.Count(); i += 8) {
    if (!clip.Read(i, shown.data()) || !clean.Read(i, truth.data())) break;
    original = shown;
    session.Frame(kChannel, shown.data(), "Film");
    for (std::size_t at = 0; at < bytes; at += 2) {  // the Y samples
      if (std::abs(original[at] - truth[at]) <= 24) continue;
      ++remaining.logo;
      if (std::abs(shown[at] - truth[at]) > 24) ++remaining.left;
    }
  }
  return remaining;
}

TEST_F(LogoSearch, FindsTheLogoOfAFilmAndHidesIt) {
  ClearPictureFolder();
  Open(nullptr, "film-sd-mark-tl");
  StartSearch();
  EXPECT_NE(TextA(dialog_).find(Cp1251(u8"поиск логотипа")), std::string::npos) << TextA(dialog_);
  CaptureWindow(dialog_, "settings-window-finding");
  ASSERT_TRUE(WaitForTheEnd()) << TextA(dialog_);
  EXPECT_EQ(TextA(dialog_), Cp1251(u8"KRD_Kestrimo плагин"));
  const std::string found = Text(dialog_, IDC_MASK_FILE);
  EXPECT_TRUE(IsFoundPicture(found)) << found;
  EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_CHK_ENABLE), BST_CHECKED);
  EXPECT_EQ(IsDlgButtonChecked(dialog_, IDC_CHK_SHOW_MASK), BST_CHECKED);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog_, IDC_BTN_CLEAR_MASK)));  // the picture loaded
  CaptureWindow(dialog_, "settings-window-found");
  Press(dialog_, IDC_BTN_OK);
  EXPECT_FALSE(IsWindow(dialog_));
  video_->Stop();

  const Remaining remaining = LogoLeftAfterProcessing(*session_, folder_);
  ASSERT_GT(remaining.logo, 1000);
  EXPECT_LE(remaining.left * 100, remaining.logo * 3) << remaining.left << " of " << remaining.logo;

  session_->Done();
  EXPECT_EQ(SettingsWindowSession::SavedText("7", "MaskFileName"), found);
  EXPECT_EQ(SettingsWindowSession::Saved("7", "ProcEnable"), 1);
  // The picture and its model, nothing else (no list of unkept files).
  const std::string model = SettingsWindowSession::SavedText("7", "LogoModelFile");
  EXPECT_EQ(model, found.substr(0, found.size() - 4) + "-model.bmp");
  EXPECT_EQ(FilesInPictureFolder(),
            (std::set<std::string>{found.substr(PictureFolder().size()),
                                   model.substr(PictureFolder().size())}));
}

// The channel already has a picture in the folder a find writes to. (Channel
// sections are read after "COMMON".)
std::string ChannelWithPicture() {
  return "[COMMON]\r\n[7]\r\nMaskFileName=" + UserPicture() +
         "\r\nMaskPosX=300\r\nMaskPosY=200\r\nRectMaskSizeX=100\r\nRectMaskSizeY=70\r\n"
         "ProcEnable=1\r\nShowMask=0\r\nExpandX=5\r\n";
}

TEST_F(LogoSearch, StopCancelAndClosingLeaveTheSettingsAndThePicturesAsTheyWere) {
  CreateDirectoryA(ProgramFilePath("Plugins").c_str(), nullptr);
  CreateDirectoryA(PictureFolder().c_str(), nullptr);
  ClearPictureFolder();
  WriteLogoPicture(UserPicture());
  const std::string before = Contents(UserPicture());
  const std::string settings = ChannelWithPicture();
  Open(settings.c_str(), "film-sd-mark-tl");
  const auto unchanged = [&] {
    return Contents(UserPicture()) == before &&
           FilesInPictureFolder() == std::set<std::string>{"7.bmp"};
  };

  // «Стоп» while collecting.
  StartSearch();
  Press(dialog_, IDC_BTN_FIND_LOGO);
  EXPECT_FALSE(Searching(dialog_));
  EXPECT_EQ(TextA(dialog_), Cp1251(u8"KRD_Kestrimo плагин"));
  EXPECT_TRUE(unchanged());

  // A find, then «Отмена».
  StartSearch();
  ASSERT_TRUE(WaitForTheEnd()) << TextA(dialog_);
  EXPECT_TRUE(IsFoundPicture(Text(dialog_, IDC_MASK_FILE))) << Text(dialog_, IDC_MASK_FILE);
  EXPECT_EQ(Contents(UserPicture()), before);
  Press(dialog_, IDC_BTN_CANCEL);
  EXPECT_FALSE(IsWindow(dialog_));
  EXPECT_TRUE(unchanged());

  // The plug-in shut down during a collection.
  session_->ShowSettings();
  dialog_ = session_->Window();
  ASSERT_NE(dialog_, nullptr);
  StartSearch();
  video_->Stop();
  session_->Done();
  EXPECT_TRUE(unchanged());
  EXPECT_EQ(SettingsWindowSession::SavedText("7", "MaskFileName"), UserPicture());
  EXPECT_EQ(SettingsWindowSession::Saved("7", "MaskPosX"), 300);
  EXPECT_EQ(SettingsWindowSession::Saved("7", "RectMaskSizeX"), 100);
  EXPECT_EQ(SettingsWindowSession::Saved("7", "ExpandX"), 5);
  EXPECT_EQ(SettingsWindowSession::Saved("7", "ShowMask"), 0);
}

TEST_F(LogoSearch, AClipWithoutALogoGivesTheMessageAndChangesNothing) {
  ClearPictureFolder();
  Open("[COMMON]\r\n[7]\r\nMaskPosX=300\r\nMaskPosY=200\r\nProcEnable=0\r\n", "photos-sd-nologo");
  MessageBoxCloser closer(dialog_);
  StartSearch();
  ASSERT_TRUE(PumpUntil([&] { return !closer.Texts().empty(); }, kWaitForSearchMs));
  PumpMessages(200);
  EXPECT_EQ(closer.Texts(), std::vector<std::string>{ui::NotFoundMessage(LogoFinding::Reason::NoLogo)});
  EXPECT_FALSE(Searching(dialog_));
  EXPECT_TRUE(FilesInPictureFolder().empty());
  Press(dialog_, IDC_BTN_OK);
  video_->Stop();
  session_->Done();
  EXPECT_EQ(SettingsWindowSession::SavedText("7", "MaskFileName"), "");
  EXPECT_EQ(SettingsWindowSession::Saved("7", "MaskPosX"), 300);
  EXPECT_EQ(SettingsWindowSession::Saved("7", "ProcEnable"), 0);
}

}  // namespace
}  // namespace kestrimo::testing
