#include "tools/kestrimo-host/hosting/RunMarker.h"

namespace kestrimo {

std::string RunMarkerPathOf(const std::string& settingsPath) {
  return settingsPath + ".kestrimo-host-run";
}

RunMarker::Claim RunMarker::Take(const std::string& path) {
  Release();
  const Claim claim = file_.Take(path);
  if (claim != Claim::Taken) return claim;
  if (!file_.ReadAll(leftover_)) {
    file_.Close(false);
    return Claim::Unavailable;
  }
  held_ = true;
  empty_ = leftover_.empty();
  return Claim::Taken;
}

bool RunMarker::Record(const std::string& text) {
  const bool good = held_ && file_.Replace(text);
  empty_ = text.empty() && good;
  return good;
}

void RunMarker::Clear() {
  Record("");
  Release();
}

void RunMarker::Release() {
  if (!held_) return;
  held_ = false;
  file_.Close(empty_);
}

}  // namespace kestrimo
