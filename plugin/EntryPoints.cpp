#include "plugin/EntryPoints.h"

#include "platform/ModuleInfo.h"
#include "engine/SettingsSave.h"
#include "settings/SettingsPersistence.h"
#include "ui/SettingsWindow.h"

namespace kestrimo {

void PluginInit(PluginState& state, const PluginHostInfo* hostInfo) {
  state.ModuleInstance = OwnModuleHandle();
  state.ChannelExists = hostInfo != nullptr ? hostInfo->channelExists : nullptr;
  LoadSettings(state);
}

std::int32_t PluginSetFormat(PluginState& state, const VideoFormat* format) {
  if (format == nullptr) return 1;
  // The settings window rebuilds the mask from the format and the scaler on
  // its own thread, and reads the processor level when asked to show.
  LockHold hold(state.SettingsLock);
  state.FrameWidth = format->width;
  state.FrameHeight = format->height;
  state.FrameMode = format->frameMode;
  state.CpuLevel = format->cpuLevel;
  state.Geometry.SetFrameFormat(format->width, format->height, format->frameMode);
  // Scaling tables sized exactly to each request from now on.
  for (ScaledBlend* scaler : {&state.Mask.MaskScaler, &state.PreviewScaler}) {
    scaler->SetGrowPercent(0);
    scaler->SetShrinkPercent(0);
  }
  // The next frame of any channel but 0 counts as a change and rebuilds the
  // mask for the new size.
  state.LastChannelId = 0;
  state.FormatKnown = 1;
  return 1;
}

void PluginReserved(PluginState&) {}

void PluginShowSettings(PluginState& state, const SettingsRequest* request) {
  void* hostWindow = request != nullptr ? request->parentWindow : nullptr;
  bool noSse = false;
  {
    LockHold hold(state.SettingsLock);  // the format call may be storing it
    noSse = state.NoSse();
  }
  if (noSse) {
    ShowNoSseNotice(hostWindow);
    return;
  }
  if (FlashOpenSettingsWindow(state)) return;
  OpenSettingsWindow(state, hostWindow);
}

// The window stores its last position while it is destroyed, so the save
// writes the final one.
void PluginDone(PluginState& state) {
  DestroySettingsWindow(state);
  state.Finding.Stop();
  SaveSettings(state);
}

}  // namespace kestrimo
