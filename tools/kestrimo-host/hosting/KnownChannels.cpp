#include "tools/kestrimo-host/hosting/KnownChannels.h"

#include <mutex>
#include <set>

namespace kestrimo {
namespace {

// The plug-in may ask from another thread than the one sending frames.
std::mutex& ChannelsLock() {
  static std::mutex lock;
  return lock;
}

std::set<ChannelId>& Channels() {
  static std::set<ChannelId> channels;
  return channels;
}

}  // namespace

void RememberChannel(ChannelId id) {
  const std::lock_guard<std::mutex> hold(ChannelsLock());
  Channels().insert(id);
}

bool IsKnownChannel(ChannelId id) {
  const std::lock_guard<std::mutex> hold(ChannelsLock());
  return Channels().count(id) != 0;
}

void ForgetAllChannels() {
  const std::lock_guard<std::mutex> hold(ChannelsLock());
  Channels().clear();
}

std::int32_t KESTRIMO_CDECL KnownChannelExists(ChannelId id) { return IsKnownChannel(id) ? 1 : 0; }

}  // namespace kestrimo
