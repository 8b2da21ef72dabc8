#include "tests/ui/windows/SettingsWindowSession.h"

#include <cstdio>
#include <algorithm>
#include <fstream>

#include "tests/support/PictureFiles.h"
#include "tests/ui/windows/WindowTesting.h"

namespace kestrimo::testing {
namespace {

constexpr int kFrameWidth = 320;
constexpr int kFrameHeight = 240;

std::int32_t KESTRIMO_CDECL HostKnowsAll(ChannelId) { return 1; }

std::string ProgramFolder() {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder = path;
  return folder.substr(0, folder.find_last_of('\\') + 1);
}

constexpr int kLogoWidth = 60;
constexpr int kLogoHeight = 30;

// The logo's ellipse, in both the picture and the model.
bool InLogo(int x, int y) {
  const double dx = (x - kLogoWidth / 2.0) / (kLogoWidth / 2.0);
  const double dy = (y - kLogoHeight / 2.0) / (kLogoHeight / 2.0);
  return dx * dx + dy * dy < 0.8;
}

void AppendLe(std::string& out, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

BOOL CALLBACK CollectOwned(HWND window, LPARAM context) {
  auto* found = reinterpret_cast<std::pair<HWND, std::vector<HWND>*>*>(context);
  if (ClassName(window) == "#32770" && GetWindow(window, GW_OWNER) == found->first &&
      IsWindowVisible(window))
    found->second->push_back(window);
  return TRUE;
}

}  // namespace

std::string SettingsFilePath() { return ProgramFolder() + "Plugins\\KRD_Kestrimo.ini"; }

std::string ProgramFilePath(const char* name) { return ProgramFolder() + name; }

void WriteLogoPicture(const std::string& path) {
  constexpr int w = kLogoWidth, h = kLogoHeight;
  const int stride = (w * 3 + 3) & ~3;
  std::string bmp = "BM";
  AppendLe(bmp, 54 + stride * h, 4);
  AppendLe(bmp, 0, 4);
  AppendLe(bmp, 54, 4);
  AppendLe(bmp, 40, 4);
  AppendLe(bmp, w, 4);
  AppendLe(bmp, h, 4);
  AppendLe(bmp, 1, 2);
  AppendLe(bmp, 24, 2);
  for (int i = 0; i < 6; ++i) AppendLe(bmp, 0, 4);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const bool key = InLogo(x, y);
      // B, G, R: the key colour 0x00FF8000 is blue 255, green 128, red 0.
      bmp += key ? std::string("\xFF\x80\x00", 3) : std::string("\xFF\xFF\xFF", 3);
    }
    bmp.append(stride - w * 3, '\0');
  }
  std::ofstream(path, std::ios::binary) << bmp;
}

void WriteLogoModel(const std::string& path) {
  Picture model(kLogoWidth, kLogoHeight);
  for (int y = 0; y < kLogoHeight; ++y) {
    for (int x = 0; x < kLogoWidth; ++x)
      model.At(x, y) = InLogo(x, y) ? Rgba{255, 255, 255, 128} : Rgba{0, 0, 0, 0};
  }
  std::ofstream(path, std::ios::binary) << EncodeBmp(model, 32);
}

SettingsWindowSession::SettingsWindowSession(const char* settings, std::int32_t cpuLevel) {
  CreateDirectoryA((ProgramFolder() + "Plugins").c_str(), nullptr);
  if (settings != nullptr)
    std::ofstream(SettingsFilePath(), std::ios::binary) << settings;
  else
    DeleteFileA(SettingsFilePath().c_str());
  module_ = LoadLibraryA(pluginLibraryPath.c_str());
  if (module_ == nullptr) return;
  auto descriptor =
      reinterpret_cast<PluginDescriptorExport>(
      reinterpret_cast<void*>(GetProcAddress(module_, kDescriptorExportName)));
  if (descriptor == nullptr) return;
  plugin_ = descriptor();
  host_ = CreateWindowExA(0, "STATIC", "Host", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 640,
                          480, nullptr, nullptr, nullptr, nullptr);
  PluginHostInfo info{0, &HostKnowsAll};
  plugin_->init(&info);
  VideoFormat format{kFrameWidth, kFrameHeight, 0, 1, cpuLevel};
  plugin_->setFormat(&format);
  pixels_.assign(kFrameWidth * kFrameHeight * 3, 0x60);
}

SettingsWindowSession::~SettingsWindowSession() {
  if (plugin_ != nullptr && !done_) plugin_->done();
  if (host_ != nullptr) DestroyWindow(host_);
}

std::int32_t SettingsWindowSession::Frame(ChannelId id, const char* name) {
  return Frame(id, pixels_.data(), name);
}

void SettingsWindowSession::SetFormat(std::int32_t width, std::int32_t height, std::int32_t mode) {
  VideoFormat format{width, height, 0, mode, 0};
  plugin_->setFormat(&format);
}

std::int32_t SettingsWindowSession::Frame(ChannelId id, std::uint8_t* pixels, const char* name) {
  ChannelInfo channel{};
  channel.id = id;
  std::snprintf(channel.name, sizeof channel.name, "%s", name);
  FrameInfo frame{};
  frame.pixels = pixels;
  frame.channel = &channel;
  return plugin_->processFrame(&frame);
}

void SettingsWindowSession::ShowSettings() {
  SettingsRequest request{host_};
  plugin_->showSettings(&request);
  PumpMessages(100);
}

void SettingsWindowSession::Done() {
  plugin_->done();
  done_ = true;
}

std::vector<HWND> SettingsWindowSession::SettingsWindows() const {
  std::vector<HWND> windows;
  std::pair<HWND, std::vector<HWND>*> context{host_, &windows};
  EnumThreadWindows(GetCurrentThreadId(), &CollectOwned, reinterpret_cast<LPARAM>(&context));
  return windows;
}

HWND SettingsWindowSession::Window() const {
  const std::vector<HWND> windows = SettingsWindows();
  return windows.size() == 1 ? windows.front() : nullptr;
}

int SettingsWindowSession::Saved(const char* section, const char* key, int fallback) {
  return static_cast<int>(
      GetPrivateProfileIntA(section, key, fallback, SettingsFilePath().c_str()));
}

std::string SettingsWindowSession::SavedText(const char* section, const char* key) {
  char text[512] = {};
  GetPrivateProfileStringA(section, key, "", text, sizeof text, SettingsFilePath().c_str());
  return text;
}

void Click(HWND dialog, int id) {
  SendDlgItemMessageA(dialog, id, BM_CLICK, 0, 0);
  PumpMessages(60);
}

void HoldMouse(HWND dialog, int id, int milliseconds) {
  RECT rect{};
  GetWindowRect(GetDlgItem(dialog, id), &rect);
  SetForegroundWindow(dialog);
  SetCursorPos((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
  PumpMessages(50);
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  SendInput(1, &input, sizeof input);
  PumpMessages(milliseconds);
  input.mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(1, &input, sizeof input);
  PumpMessages(100);
}

MessageBoxCloser::MessageBoxCloser(HWND owner) : owner_(owner) {
  InitializeCriticalSection(&lock_);
  thread_ = CreateThread(nullptr, 0, &Run, this, 0, nullptr);
}

MessageBoxCloser::~MessageBoxCloser() {
  InterlockedExchange(&stop_, 1);
  WaitForSingleObject(thread_, 5000);
  CloseHandle(thread_);
  DeleteCriticalSection(&lock_);
}

std::vector<std::string> MessageBoxCloser::Texts() {
  EnterCriticalSection(&lock_);
  std::vector<std::string> texts = texts_;
  LeaveCriticalSection(&lock_);
  return texts;
}

DWORD WINAPI MessageBoxCloser::Run(void* self) {
  auto* closer = static_cast<MessageBoxCloser*>(self);
  std::vector<HWND> closed;
  while (closer->stop_ == 0) {
    HWND box = nullptr;
    while ((box = FindWindowExA(nullptr, box, "#32770", nullptr)) != nullptr) {
      if (GetWindow(box, GW_OWNER) != closer->owner_ && closer->owner_ != nullptr) continue;
      HWND text = GetDlgItem(box, 0xFFFF);
      if (text == nullptr) continue;  // not a message box
      if (std::find(closed.begin(), closed.end(), box) != closed.end()) continue;
      closed.push_back(box);
      char buffer[512] = {};
      GetWindowTextA(text, buffer, sizeof buffer);
      EnterCriticalSection(&closer->lock_);
      closer->texts_.push_back(buffer);
      LeaveCriticalSection(&closer->lock_);
      PostMessageA(box, WM_COMMAND, IDOK, 0);
      break;
    }
    Sleep(20);
  }
  return 0;
}

}  // namespace kestrimo::testing
