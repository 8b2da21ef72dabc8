// The plug-in's process-wide state: the settings document (channel records,
// defaults, the window's place, the file), what the host told it, the
// settings window link, the one lock, and the processing objects.
#pragma once

#include <cstdint>
#include <string>

#include "model/ChannelSettings.h"
#include "model/HostRecords.h"
#include "engine/LogoFinding.h"
#include "engine/SettingsWindowLink.h"
#include "imaging/BlurFilter.h"
#include "imaging/ScaledBlend.h"
#include "base/FrameGeometry.h"
#include "mask/MaskRebuild.h"
#include "platform/RecursiveLock.h"
#include "settings/SettingsDocument.h"

namespace kestrimo {

class PluginState : public SettingsDocument {
 public:
  PluginState() = default;
  PluginState(const PluginState&) = delete;
  PluginState& operator=(const PluginState&) = delete;

  // CpuLevel 1 and 2 mean that the processor has no SSE instructions.
  bool NoSse() const { return CpuLevel == 1 || CpuLevel == 2; }

  // Makes CurrentIndex point at the record of channel id, appending a copy of
  // DefaultSettings for a channel not seen before. Called under SettingsLock.
  void SelectChannel(ChannelId id);

  // The record at CurrentIndex, or null when there is none (frames before the
  // first format call with no channel records). Valid until the list grows.
  ChannelSettings* CurrentRecord();

  ChannelExistsProc ChannelExists = nullptr;
  void* ModuleInstance = nullptr;

  std::int32_t FrameWidth = 0;
  std::int32_t FrameHeight = 0;
  std::int32_t FrameMode = 0;
  std::int32_t CpuLevel = 0;
  std::int32_t FormatKnown = 0;

  ChannelId LastChannelId = 0;
  std::string ChannelName;  // code page 1251

  SettingsWindowLink SettingsWindow;

  ChannelSettingsList UndoList;  // snapshot taken when the window opens
  std::int32_t CurrentIndex = 0;

  RecursiveLock SettingsLock;

  FrameGeometry Geometry;
  MaskRebuild Mask;              // the mask products and the tools of the rebuild
  BlurFilter FrameBlurFilter;    // softens the rebuilt area on every frame
  ScaledBlend PreviewScaler;     // fits the mask picture into the window's preview

  // Declared last: destroyed first, its worker joined before the rest goes.
  LogoFinding Finding;           // the logo search started from the window
};

}  // namespace kestrimo
