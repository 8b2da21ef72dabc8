// What the rest of the plug-in knows of the settings window: whether it is
// open, and how to tell it that the channel changed.
#pragma once

#include <cstdint>

namespace kestrimo {

constexpr unsigned kWmSettingsRefresh = 0x0400 + 400;  // WM_USER + 400
constexpr std::uintptr_t kRefreshAll = 0;
constexpr std::uintptr_t kRefreshColor = 1;
constexpr std::uintptr_t kRefreshEnable = 4;

class SettingsWindowLink {
 public:
  bool Exists() const { return window_ != nullptr; }
  void Attach(void* window) { window_ = window; }
  void Detach() { window_ = nullptr; }

  // Posts (never sends) the refresh message, so a caller holding the settings
  // lock never waits for the window's thread.
  void PostRefresh(std::uintptr_t code);
  int RefreshesPosted() const { return refreshesPosted_; }

 private:
  void* window_ = nullptr;
  int refreshesPosted_ = 0;
};

}  // namespace kestrimo
