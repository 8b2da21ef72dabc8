#include "engine/SettingsSave.h"

#include "settings/SettingsPersistence.h"

namespace kestrimo {

bool SaveSettings(PluginState& state) {
  ChannelSettingsList channels;
  SaveOptions options;
  {
    LockHold hold(state.SettingsLock);
    channels = state.ChannelList;
    options.dlgWndPosX = state.DlgWndPosX;
    options.dlgWndPosY = state.DlgWndPosY;
  }
  options.channelExists = state.ChannelExists;
  return WriteSettings(state.Profile, channels, options);
}

}  // namespace kestrimo
