// The tool's command line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/HostRecords.h"
#include "tools/kestrimo-host/hosting/ChannelSchedule.h"
#include "tools/kestrimo-host/pictures/Snapshots.h"
#include "tools/kestrimo-host/stream/StreamFormat.h"

namespace kestrimo {

struct HostOptions {
  std::string input = "-";   // "-": standard input
  std::string output = "-";  // "-": standard output
  std::string pluginPath;    // empty: the library beside the executable
  std::optional<StreamFormat> format;  // absent: detected from the input
  std::optional<FrameSize> size;
  ChannelId channelId = 1;
  std::string channelName;
  std::vector<ChannelSwitch> switches;
  std::int32_t cpuLevel = 3;  // SSE present
  std::string settingsPath;   // empty: the plug-in's own settings file
  bool saveSettings = false;  // copy the plug-in's rewritten settings back to settingsPath
  std::vector<SnapshotRequest> snapshots;
  bool help = false;
  bool version = false;
};

struct ParsedOptions {
  HostOptions options;
  std::string error;  // empty when the command line is good
  bool Ok() const { return error.empty(); }
};

// Parses the arguments after the program name. Arguments that start with
// "-inst:" or "/inst:" are left to the plug-in, which reads the command line itself.
ParsedOptions ParseOptions(const std::vector<std::string>& args);

// "WxH" with both sides in 1..kMaxFrameSide.
std::optional<FrameSize> ParseFrameSize(const std::string& text);

// "FRAME:ID" or "FRAME:ID:NAME".
std::optional<ChannelSwitch> ParseChannelSwitch(const std::string& text);

// "FRAME:FILE": FRAME a non-negative number, FILE not empty (it may hold colons).
std::optional<SnapshotRequest> ParseSnapshotRequest(const std::string& text);

std::string UsageText();

}  // namespace kestrimo
