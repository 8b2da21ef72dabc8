// A host stand-in for the settings window tests: loads the plug-in library,
// prepares its settings file, sends frames and opens the window through the
// exports, and reads the settings file the library writes at the end.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "model/HostRecords.h"

namespace kestrimo::testing {

// The settings file beside the test program: Plugins\KRD_Kestrimo.ini.
std::string SettingsFilePath();
// A file beside the test program, as a Windows path.
std::string ProgramFilePath(const char* name);
// Writes a 60 x 30 24-bit bitmap: an ellipse of the default key colour.
void WriteLogoPicture(const std::string& path);
// Writes the logo model that goes with it: a 60 x 30 RGBA PNG, the ellipse
// white at half opacity, the rest clear.
void WriteLogoModel(const std::string& path);

class SettingsWindowSession {
 public:
  // settings: the file's content before Plugin_Init; null removes the file.
  explicit SettingsWindowSession(const char* settings, std::int32_t cpuLevel = 0);
  ~SettingsWindowSession();

  bool Loaded() const { return plugin_ != nullptr; }
  HWND Host() const { return host_; }

  // One 320 x 240 BGR frame of the channel; returns the frame's result.
  std::int32_t Frame(ChannelId id, const char* name = "Channel");
  // A new frame format (mode 0: YUY2, 1: BGR), and a frame of it in place.
  void SetFormat(std::int32_t width, std::int32_t height, std::int32_t mode);
  std::int32_t Frame(ChannelId id, std::uint8_t* pixels, const char* name = "Channel");
  void ShowSettings();
  void Done();

  // The settings windows owned by the host window.
  std::vector<HWND> SettingsWindows() const;
  // The one settings window, or null.
  HWND Window() const;

  // An int from the settings file written by Done; fallback when missing.
  static int Saved(const char* section, const char* key, int fallback = -999);
  static std::string SavedText(const char* section, const char* key);

 private:
  HMODULE module_ = nullptr;
  PluginDescriptor* plugin_ = nullptr;
  HWND host_ = nullptr;
  std::vector<std::uint8_t> pixels_;
  bool done_ = false;
};

// Clicks a control of the window with BM_CLICK and lets the posts run.
void Click(HWND dialog, int id);
// Presses the left mouse button over the control, holds it, and releases it,
// with real (synthetic) input, so the window's mouse hook sees it.
void HoldMouse(HWND dialog, int id, int milliseconds);

// Watches for message boxes owned by `owner` on another thread, notes their
// text and closes each with OK.
class MessageBoxCloser {
 public:
  explicit MessageBoxCloser(HWND owner);
  ~MessageBoxCloser();
  std::vector<std::string> Texts();

 private:
  static DWORD WINAPI Run(void* self);
  HWND owner_;
  HANDLE thread_ = nullptr;
  volatile LONG stop_ = 0;
  CRITICAL_SECTION lock_;
  std::vector<std::string> texts_;
};

}  // namespace kestrimo::testing
