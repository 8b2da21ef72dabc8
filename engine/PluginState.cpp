#include "engine/PluginState.h"

namespace kestrimo {

void PluginState::SelectChannel(ChannelId id) {
  // Before the first format the list is not consulted.
  if (FormatKnown == 0) {
    CurrentIndex = 0;
    return;
  }
  for (std::size_t i = 0; i < ChannelList.size(); ++i) {
    if (ChannelList[i].Id == id) {  // the lowest index wins ties
      CurrentIndex = static_cast<std::int32_t>(i);
      return;
    }
  }
  ChannelSettings record = DefaultSettings;
  record.Id = id;
  // Room in the snapshot first, so that a failed allocation leaves both lists
  // as they were.
  if (SettingsWindow.Exists()) UndoList.reserve(UndoList.size() + 1);
  ChannelList.push_back(record);
  CurrentIndex = static_cast<std::int32_t>(ChannelList.size() - 1);
  // Keep the open window's snapshot index for index with the list, so that a
  // cancel keeps the new channel's record.
  if (SettingsWindow.Exists()) UndoList.push_back(record);
}

ChannelSettings* PluginState::CurrentRecord() {
  if (CurrentIndex < 0 || static_cast<std::size_t>(CurrentIndex) >= ChannelList.size())
    return nullptr;
  return &ChannelList[CurrentIndex];
}

}  // namespace kestrimo
