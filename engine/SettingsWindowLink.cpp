#include "engine/SettingsWindowLink.h"

#include "platform/WindowMessages.h"

namespace kestrimo {

void SettingsWindowLink::PostRefresh(std::uintptr_t code) {
  if (window_ == nullptr) return;
  PostWindowMessage(window_, kWmSettingsRefresh, code, 0);
  ++refreshesPosted_;
}

}  // namespace kestrimo
