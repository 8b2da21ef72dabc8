#include "host/FrameDriver.h"

#include <cstring>

namespace kestrimo {
namespace {

// The name stored inline in the host's record, read up to its terminator and
// never past the record's capacity.
void CopyChannelName(const ChannelInfo& channel, std::string& name) {
  const void* end = std::memchr(channel.name, 0, kChannelNameCapacity);
  const std::size_t length = end != nullptr
      ? static_cast<std::size_t>(static_cast<const char*>(end) - channel.name)
      : kChannelNameCapacity - 1;
  name.assign(channel.name, length);
}

// Switches to the settings of a channel whose frames have started to arrive.
void ChangeChannel(PluginState& state, const ChannelInfo& channel) {
  state.LastChannelId = channel.id;
  CopyChannelName(channel, state.ChannelName);
  state.SelectChannel();
  state.SettingsWindow.PostRefresh(kRefreshAll);
}

}  // namespace

std::int32_t ProcessFrame(PluginState& state, const FrameInfo* frame) {
  if (frame == nullptr || frame->pixels == nullptr || state.NoSse()) return 0;
  LockHold hold(state.SettingsLock);
  if (frame->channel != nullptr && frame->channel->id != state.LastChannelId)
    ChangeChannel(state, *frame->channel);
  const ChannelSettings* record = state.CurrentRecord();
  if (record == nullptr || record->ProcEnable == 0) return 1;
  return 1;
}

}  // namespace kestrimo
