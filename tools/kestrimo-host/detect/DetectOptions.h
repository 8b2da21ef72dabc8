// What `kestrimo-host detect` is asked to do.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/HostRecords.h"
#include "tools/kestrimo-host/stream/StreamFormat.h"

namespace kestrimo {

struct DetectOptions {
  std::string input = "-";  // "-": standard input
  std::optional<StreamFormat> format;
  std::optional<FrameSize> size;
  std::int64_t frames = 250;  // frames read at most
  std::int32_t step = 4;      // every step-th frame read is looked at
  std::string maskPath = "logo.bmp";
  std::optional<std::uint32_t> key;  // 0x00BBGGRR; absent: the channel's ColorKey
  std::int32_t margin = 4;           // frame pixels of kept picture around the logo
  std::int32_t expand = 0;           // ExpandX/ExpandY written with the mask
  std::string overlayPath;           // empty: no overlay picture
  std::string modelPath;             // empty: no colour and opacity picture
  bool allOverlays = false;          // every overlay found into the mask, not only the logo
  ChannelId channelId = 1;           // section of the printed lines
  std::optional<ChannelId> writeChannel;  // change this channel of the settings file
  std::string settingsPath;  // with --write; empty: the plug-in's own file
  std::string pluginPath;    // where the plug-in's own file is looked for
  bool help = false;
};

}  // namespace kestrimo
