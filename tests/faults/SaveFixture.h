// A settings folder with an old settings file in it, and channel records
// whose save differs from that file, for the tests that make the save fail.
#pragma once

#include <filesystem>
#include <string>

#include "engine/PluginState.h"
#include "engine/SettingsSave.h"
#include "settings/SettingsPersistence.h"
#include "tests/settings/SettingsTestFiles.h"

namespace kestrimo::testing {

// `channels` records with distinct values and long file names, so that the
// saved file runs to about 250 bytes per channel.
inline void AddChannels(PluginState& state, int channels) {
  for (int i = 0; i < channels; ++i) {
    ChannelSettings record = TableDefaults();
    record.Id = 1000 + i;
    record.MaskPosX = i * 7;
    record.ProcEnable = i % 2;
    record.MaskFileName = "C:\\logos\\channel " + std::to_string(i) + std::string(120, 'x') + ".bmp";
    state.ChannelList.push_back(record);
  }
}

// The bytes a save of `channels` such records writes when nothing fails.
inline std::string SavedBytes(int channels) {
  TempFolder folder;
  PluginState state;
  state.Profile.SetLocation(folder.Location());
  AddChannels(state, channels);
  if (!SaveSettings(state)) return {};
  return ReadBytes(folder.Path() / "KRD_Kestrimo.ini");
}

constexpr const char* kOldSettings =
    "[COMMON]\r\nDlgWndPosX=5\r\nDlgWndPosY=6\r\n[77]\r\nMaskPosX=1\r\nProcEnable=1\r\n";

}  // namespace kestrimo::testing
