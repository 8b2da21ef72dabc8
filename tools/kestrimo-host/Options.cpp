#include "tools/kestrimo-host/Options.h"
#include "tools/kestrimo-host/OptionWords.h"

#include <charconv>
#include <string_view>

namespace kestrimo {
namespace {

template <typename Int>
std::optional<Int> ParseInteger(std::string_view text) {
  Int value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

bool IsInstanceSwitch(std::string_view arg) {
  return arg.starts_with("-inst:") || arg.starts_with("/inst:");
}

bool TakesValue(std::string_view name) {
  return name == "-i" || name == "-o" || name == "--input" || name == "--output" ||
         name == "--plugin" || name == "--format" || name == "--size" ||
         name == "--channel" || name == "--name" || name == "--switch" ||
         name == "--cpu-level" || name == "--settings" || name == "--snapshot";
}

bool NameFits(const std::string& name) {
  return name.size() < static_cast<std::size_t>(kChannelNameCapacity);
}

std::string TooLongName() {
  return "channel name longer than " + std::to_string(kChannelNameCapacity - 1) + " bytes";
}

// Stores one option's value; returns an error text or empty.
std::string Apply(std::string_view name, const std::string& value, HostOptions& options) {
  if (name == "-i" || name == "--input") {
    options.input = value;
  } else if (name == "-o" || name == "--output") {
    options.output = value;
  } else if (name == "--plugin") {
    options.pluginPath = value;
  } else if (name == "--format") {
    options.format = ParseStreamFormat(value);
    if (!options.format) return "unknown format '" + value + "' (y4m, yuyv422 or bgr24)";
  } else if (name == "--size") {
    options.size = ParseFrameSize(value);
    if (!options.size) return "bad --size '" + value + "' (WxH, 1.." + std::to_string(kMaxFrameSide) + " each)";
  } else if (name == "--channel") {
    const auto id = ParseInteger<ChannelId>(value);
    if (!id) return "bad --channel '" + value + "' (a signed 64-bit number)";
    options.channelId = *id;
  } else if (name == "--name") {
    if (!NameFits(value)) return TooLongName();
    options.channelName = value;
  } else if (name == "--switch") {
    const auto change = ParseChannelSwitch(value);
    if (!change) return "bad --switch '" + value + "' (FRAME:ID or FRAME:ID:NAME)";
    if (change->name && !NameFits(*change->name)) return TooLongName();
    options.switches.push_back(*change);
  } else if (name == "--cpu-level") {
    const auto level = ParseInteger<std::int32_t>(value);
    if (!level) return "bad --cpu-level '" + value + "' (a 32-bit number)";
    options.cpuLevel = *level;
  } else if (name == "--settings") {
    if (value.empty()) return "--settings needs a file name";
    options.settingsPath = value;
  } else if (name == "--snapshot") {
    const auto request = ParseSnapshotRequest(value);
    if (!request) return "bad --snapshot '" + value + "' (FRAME:FILE.png, FRAME from 0)";
    options.snapshots.push_back(*request);
  }
  return {};
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
  const auto width = ParseInteger<int>(std::string_view(text).substr(0, x));
  const auto height = ParseInteger<int>(std::string_view(text).substr(x + 1));
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
  const auto frame = ParseInteger<std::int64_t>(all.substr(0, first));
  const auto id = ParseInteger<ChannelId>(all.substr(first + 1, second == std::string::npos
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
  const auto frame = ParseInteger<std::int64_t>(std::string_view(text).substr(0, colon));
  if (!frame || *frame < 0) return std::nullopt;
  return SnapshotRequest{*frame, text.substr(colon + 1)};
}

ParsedOptions ParseOptions(const std::vector<std::string>& args) {
  ParsedOptions result;
  HostOptions& options = result.options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (IsInstanceSwitch(arg)) continue;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      continue;
    }
    if (arg == "--save-settings") {
      options.saveSettings = true;
      continue;
    }
    const ValueOption option = ReadValueOption(args, i, TakesValue, "option");
    if (!option.error.empty()) {
      result.error = option.error;
      return result;
    }
    result.error = Apply(option.name, option.value, options);
    if (!result.Ok()) return result;
  }
  if (!options.help) result.error = CheckCombination(options);
  return result;
}

std::string UsageText() {
  return
      "usage: kestrimo-host [options] [-i INPUT] [-o OUTPUT]\n"
      "       kestrimo-host detect [options] [-i INPUT]   (see 'kestrimo-host detect --help')\n"
      "Passes video through the KRD_Kestrimo plug-in, as its TV host would.\n"
      "INPUT and OUTPUT are files or '-' for standard input and output (default '-').\n"
      "\n"
      "  --plugin PATH       plug-in library (default: the one beside this program)\n"
      "  --format FMT        y4m, yuyv422 or bgr24 (default: y4m, detected from the header)\n"
      "  --size WxH          frame size of raw input (yuyv422, bgr24); Y4M carries its own\n"
      "  --channel ID        channel id of the frames, signed 64-bit (default 1)\n"
      "  --name TEXT         channel name, passed on as given (default empty)\n"
      "  --switch FRAME:ID[:NAME]\n"
      "                      from frame FRAME (0-based) on, frames belong to channel ID\n"
      "                      (named NAME, else --name); repeatable\n"
      "  --cpu-level N       processor class told to the plug-in; 1 and 2 mean no SSE (default 3)\n"
      "  -inst:C, /inst:C    host instance; read by the plug-in from the command line\n"
      "  --settings FILE     run the plug-in with this settings file; FILE is left unchanged\n"
      "  --save-settings     with --settings: copy the plug-in's rewritten settings back to FILE\n"
      "  --snapshot N:FILE   write frame N (0-based) before (left) and after (right) the\n"
      "                      plug-in side by side to FILE as an RGB PNG; repeatable\n"
      "  --help              this text\n"
      "\n"
      "Y4M input must be 8-bit 4:2:2 (C422) with an even width; the output has the\n"
      "input's format. Exit codes: 0 done, 1 runtime error, 2 usage error.\n"
      "\n"
      "--settings puts a copy of FILE where the plug-in reads its settings file\n"
      "(normally Plugins/KRD_Kestrimo.ini beside this program) for the run; a file\n"
      "already there is renamed to <name>.kestrimo-host-backup and put back after the\n"
      "plug-in is shut down, also after errors and Ctrl-C, but not when the process is\n"
      "killed outright: then rename the backup back by hand (a later --settings run\n"
      "refuses to start while it exists). Give MaskFileName as an absolute path (on\n"
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
