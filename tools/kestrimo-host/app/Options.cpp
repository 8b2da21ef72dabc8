#include "tools/kestrimo-host/app/Options.h"

#include <string_view>

#include "tools/kestrimo-host/app/OptionTable.h"
#include "tools/kestrimo-host/stream/WholeNumber.h"

namespace kestrimo {
namespace {

bool NameFits(const std::string& name) {
  return name.size() < static_cast<std::size_t>(kChannelNameCapacity);
}

std::string TooLongName() {
  return "channel name longer than " + std::to_string(kChannelNameCapacity - 1) + " bytes";
}

std::string SetFormat(const std::string& value, HostOptions& options) {
  options.format = ParseStreamFormat(value);
  if (!options.format) return "unknown format '" + value + "' (y4m, yuyv422 or bgr24)";
  return {};
}

std::string SetSize(const std::string& value, HostOptions& options) {
  options.size = ParseFrameSize(value);
  if (!options.size) return "bad --size '" + value + "' (WxH, 1.." + std::to_string(kMaxFrameSide) + " each)";
  return {};
}

std::string SetChannel(const std::string& value, HostOptions& options) {
  const auto id = ParseWholeNumber<ChannelId>(value);
  if (!id) return "bad --channel '" + value + "' (a signed 64-bit number)";
  options.channelId = *id;
  return {};
}

std::string SetName(const std::string& value, HostOptions& options) {
  if (!NameFits(value)) return TooLongName();
  options.channelName = value;
  return {};
}

std::string AddSwitch(const std::string& value, HostOptions& options) {
  const auto change = ParseChannelSwitch(value);
  if (!change) return "bad --switch '" + value + "' (FRAME:ID or FRAME:ID:NAME)";
  if (change->name && !NameFits(*change->name)) return TooLongName();
  options.switches.push_back(*change);
  return {};
}

std::string SetCpuLevel(const std::string& value, HostOptions& options) {
  const auto level = ParseWholeNumber<std::int32_t>(value);
  if (!level) return "bad --cpu-level '" + value + "' (a 32-bit number)";
  options.cpuLevel = *level;
  return {};
}

std::string SetSettings(const std::string& value, HostOptions& options) {
  if (value.empty()) return "--settings needs a file name";
  options.settingsPath = value;
  return {};
}

std::string AddSnapshot(const std::string& value, HostOptions& options) {
  const auto request = ParseSnapshotRequest(value);
  if (!request) return "bad --snapshot '" + value + "' (FRAME:FILE.png, FRAME from 0)";
  options.snapshots.push_back(*request);
  return {};
}

using Entry = OptionEntry<HostOptions>;
using enum OptionKind;

// The host's options, in the order --help lists them.
const std::vector<Entry>& HostOptionTable() {
  static const std::vector<Entry> table = {
      {{"-i", "--input"}, Value, {}, {},
       [](const std::string& v, HostOptions& o) { o.input = v; return std::string(); }},
      {{"-o", "--output"}, Value, {}, {},
       [](const std::string& v, HostOptions& o) { o.output = v; return std::string(); }},
      {{"--plugin"}, Value, "--plugin PATH", "plug-in library (default: the one beside this program)",
       [](const std::string& v, HostOptions& o) { o.pluginPath = v; return std::string(); }},
      {{"--format"}, Value, "--format FMT",
       "y4m, yuyv422 or bgr24 (default: y4m, detected from the header)", SetFormat},
      {{"--size"}, Value, "--size WxH",
       "frame size of raw input (yuyv422, bgr24); Y4M carries its own", SetSize},
      {{"--channel"}, Value, "--channel ID", "channel id of the frames, signed 64-bit (default 1)",
       SetChannel},
      {{"--name"}, Value, "--name TEXT", "channel name, passed on as given (default empty)", SetName},
      {{"--switch"}, Value, "--switch FRAME:ID[:NAME]",
       "from frame FRAME (0-based) on, frames belong to channel ID\n"
       "(named NAME, else --name); repeatable",
       AddSwitch},
      {{"--cpu-level"}, Value, "--cpu-level N",
       "processor class told to the plug-in; 1 and 2 mean no SSE (default 3)", SetCpuLevel},
      {{"-inst:", "/inst:"}, Passed, "-inst:C, /inst:C",
       "host instance; read by the plug-in from the command line", nullptr},
      {{"--settings"}, Value, "--settings FILE",
       "run the plug-in with this settings file; FILE is left unchanged", SetSettings},
      {{"--save-settings"}, Flag, "--save-settings",
       "with --settings: copy the plug-in's rewritten settings back to FILE",
       [](const std::string&, HostOptions& o) { o.saveSettings = true; return std::string(); }},
      {{"--snapshot"}, Value, "--snapshot N:FILE",
       "write frame N (0-based) before (left) and after (right) the\n"
       "plug-in side by side to FILE as an RGB PNG; repeatable",
       AddSnapshot},
      {{"--version"}, Flag, "--version", "the tool's and the plug-in's version",
       [](const std::string&, HostOptions& o) { o.version = true; return std::string(); }},
      {{"--help", "-h"}, Flag, "--help", "this text",
       [](const std::string&, HostOptions& o) { o.help = true; return std::string(); }},
  };
  return table;
}

// Checks that only the whole command line can decide.
std::string CheckCombination(const HostOptions& options) {
  if (options.saveSettings && options.settingsPath.empty()) return "--save-settings needs --settings FILE";
  if (!options.format || *options.format == StreamFormat::Y4m) return {};
  if (!options.size) {
    return std::string("--format ") + StreamFormatName(*options.format) + " needs --size WxH";
  }
  return CheckFrameSize(*options.format, *options.size);
}

}  // namespace

std::optional<FrameSize> ParseFrameSize(const std::string& text) {
  const auto x = text.find_first_of("xX");
  if (x == std::string::npos) return std::nullopt;
  const auto width = ParseWholeNumber<int>(std::string_view(text).substr(0, x));
  const auto height = ParseWholeNumber<int>(std::string_view(text).substr(x + 1));
  if (!width || !height) return std::nullopt;
  const FrameSize size{*width, *height};
  if (!CheckFrameSize(StreamFormat::Bgr24, size).empty()) return std::nullopt;
  return size;
}

std::optional<ChannelSwitch> ParseChannelSwitch(const std::string& text) {
  const auto first = text.find(':');
  if (first == std::string::npos) return std::nullopt;
  const auto second = text.find(':', first + 1);
  const std::string_view all(text);
  const auto frame = ParseWholeNumber<std::int64_t>(all.substr(0, first));
  const auto id = ParseWholeNumber<ChannelId>(all.substr(first + 1, second == std::string::npos
                                                                    ? std::string::npos
                                                                    : second - first - 1));
  if (!frame || *frame < 0 || !id) return std::nullopt;
  ChannelSwitch change{*frame, *id, std::nullopt};
  if (second != std::string::npos) change.name = text.substr(second + 1);
  return change;
}

std::optional<SnapshotRequest> ParseSnapshotRequest(const std::string& text) {
  const auto colon = text.find(':');
  // "-" is no file here: standard output carries the video.
  if (colon == std::string::npos || colon + 1 == text.size() || text.substr(colon + 1) == "-")
    return std::nullopt;
  const auto frame = ParseWholeNumber<std::int64_t>(std::string_view(text).substr(0, colon));
  if (!frame || *frame < 0) return std::nullopt;
  return SnapshotRequest{*frame, text.substr(colon + 1)};
}

ParsedOptions ParseOptions(const std::vector<std::string>& args) {
  ParsedOptions result;
  result.error = ApplyOptions(HostOptionTable(), args, "option", result.options);
  if (result.Ok() && !result.options.help && !result.options.version) result.error = CheckCombination(result.options);
  return result;
}

std::string UsageText() {
  return
      "usage: kestrimo-host [options] [-i INPUT] [-o OUTPUT]\n"
      "       kestrimo-host detect [options] [-i INPUT]   (see 'kestrimo-host detect --help')\n"
      "Passes video through the KRD_Kestrimo plug-in, as its TV host would.\n"
      "INPUT and OUTPUT are files or '-' for standard input and output (default '-').\n"
      "\n" +
      OptionListText(HostOptionTable()) +
      "\n"
      "Y4M input must be 8-bit 4:2:2 (C422) with an even width; the output has the\n"
      "input's format; video is not written to a terminal. Progress shows on a\n"
      "terminal; a summary line (frames, seconds, frames/s) ends every run.\n"
      "Exit codes: 0 done, 1 runtime error, 2 usage error.\n"
      "\n"
      "Without --settings the plug-in reads its own settings file, where removal is\n"
      "off until a channel's section has ProcEnable=1; the tool puts that file (or\n"
      "its absence) back after the run, so a run leaves no settings behind.\n"
      "\n"
      "--settings puts a copy of FILE where the plug-in reads its settings file\n"
      "(normally Plugins/KRD_Kestrimo.ini beside this program) for the run; a file\n"
      "already there is renamed to <name>.kestrimo-host-backup and put back after the\n"
      "plug-in is shut down, also after errors, Ctrl-C and SIGHUP. A locked marker\n"
      "beside it (<name>.kestrimo-host-run) keeps a second run in the same folder out\n"
      "and lets the next run put things back after one killed outright. With\n"
      "--save-settings FILE must be a settings file (INI text), else it is refused\n"
      "unchanged. Give MaskFileName as an absolute path (on\n"
      "Windows, e.g. Z:\\tmp\\logo.bmp under Wine): the plug-in resolves a relative one\n"
      "against the current folder. Snapshots show YUY2 frames converted with full-range\n"
      "BT.601: R = Y + 1.402 (V-128), G = Y - 0.344136 (U-128) - 0.714136 (V-128),\n"
      "B = Y + 1.772 (U-128).\n"
      "Example:\n"
      "  ffmpeg -i in.ts -pix_fmt yuv422p -f yuv4mpegpipe - |\n"
      "    kestrimo-host --channel 7 --settings my.ini --snapshot 100:check.png |\n"
      "    ffmpeg -f yuv4mpegpipe -i - out.mp4\n";
}

}  // namespace kestrimo
