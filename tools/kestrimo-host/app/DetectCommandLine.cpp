#include "tools/kestrimo-host/app/DetectCommandLine.h"

#include <string_view>

#include "tools/kestrimo-host/app/OptionTable.h"
#include "tools/kestrimo-host/app/Options.h"
#include "tools/kestrimo-host/stream/WholeNumber.h"

namespace kestrimo {
namespace {

// A whole number in lo..hi, or an error text naming the option.
std::string Bounded(std::string_view name, const std::string& value, std::int64_t lo,
                    std::int64_t hi, std::int64_t& out) {
  const auto number = ParseWholeNumber<std::int64_t>(value);
  if (!number || *number < lo || *number > hi) {
    return "bad " + std::string(name) + " '" + value + "' (" + std::to_string(lo) + ".." +
           std::to_string(hi) + ")";
  }
  out = *number;
  return {};
}

template <typename Int>
std::string SetBounded(std::string_view name, const std::string& value, std::int64_t lo,
                       std::int64_t hi, Int& field) {
  std::int64_t number = 0;
  std::string error = Bounded(name, value, lo, hi, number);
  if (error.empty()) field = static_cast<Int>(number);
  return error;
}

std::string SetFormat(const std::string& value, DetectOptions& options) {
  options.format = ParseStreamFormat(value);
  if (!options.format) return "unknown format '" + value + "' (y4m, yuyv422 or bgr24)";
  return {};
}

std::string SetSize(const std::string& value, DetectOptions& options) {
  options.size = ParseFrameSize(value);
  if (!options.size) return "bad --size '" + value + "' (WxH)";
  return {};
}

// A file name; "-" names none here.
std::string SetFile(std::string_view name, const std::string& value, std::string& field) {
  if (value.empty() || value == "-") return std::string(name) + " needs a file name";
  field = value;
  return {};
}

std::string SetKey(const std::string& value, DetectOptions& options) {
  options.key = ParseKeyColour(value);
  if (!options.key) return "bad --key '" + value + "' (16744448, 0xFF8000 or #0080FF)";
  return {};
}

std::string SetChannelId(std::string_view name, const std::string& value, ChannelId& field) {
  const auto id = ParseWholeNumber<ChannelId>(value);
  if (!id) return "bad " + std::string(name) + " '" + value + "' (a signed 64-bit number)";
  field = *id;
  return {};
}

using Entry = OptionEntry<DetectOptions>;
using Text = const std::string&;
using enum OptionKind;

// The options of detect, in the order --help lists them.
const std::vector<Entry>& DetectOptionTable() {
  static const std::vector<Entry> table = {
      {{"-inst:", "/inst:"}, Passed, {}, {}, nullptr},
      {{"--help", "-h"}, Flag, {}, {},
       [](Text, DetectOptions& o) { o.help = true; return std::string(); }},
      {{"-i", "--input"}, Value, "-i INPUT", "file or '-' for standard input (default '-')",
       [](Text v, DetectOptions& o) { o.input = v; return std::string(); }},
      {{"--format"}, Value, "--format FMT", "y4m, yuyv422 or bgr24 (default: y4m, detected)",
       SetFormat},
      {{"--size"}, Value, "--size WxH", "frame size of raw input", SetSize},
      {{"--frames"}, Value, "--frames N",
       "read at most N frames (default 250, 10 s of 25 frames/s)",
       [](Text v, DetectOptions& o) { return SetBounded("--frames", v, 1, 1000000, o.frames); }},
      {{"--step"}, Value, "--step K", "look at every K-th frame read (default 4)",
       [](Text v, DetectOptions& o) { return SetBounded("--step", v, 1, 1000, o.step); }},
      {{"--mask"}, Value, "--mask FILE.bmp",
       "mask picture to write (default logo.bmp), 24-bit BMP",
       [](Text v, DetectOptions& o) { return SetFile("--mask", v, o.maskPath); }},
      {{"--key"}, Value, "--key COLOUR",
       "key colour: 16744448, 0xFF8000 (0x00BBGGRR) or #0080FF;\n"
       "default the channel's ColorKey, else R 0 G 128 B 255",
       SetKey},
      {{"--margin"}, Value, "--margin N",
       "frame pixels kept around the logo, 2..64 (default 4)",
       [](Text v, DetectOptions& o) { return SetBounded("--margin", v, 2, 64, o.margin); }},
      {{"--expand"}, Value, "--expand N",
       "ExpandX/ExpandY written with the mask, 0..30 (default 0)",
       [](Text v, DetectOptions& o) { return SetBounded("--expand", v, 0, 30, o.expand); }},
      {{"--overlay"}, Value, "--overlay FILE.png",
       "the frame that shows the logo best, the logo tinted and\n"
       "the area framed",
       [](Text v, DetectOptions& o) { return SetFile("--overlay", v, o.overlayPath); }},
      {{"--model"}, Value, "--model FILE",
       "the logo's estimated colour and opacity: the plug-in's model\n"
       "file (LogoModelFile), or with a .png name an RGBA picture of\n"
       "the frame's size",
       [](Text v, DetectOptions& o) { return SetFile("--model", v, o.modelPath); }},
      {{"--all-overlays"}, Flag, "--all-overlays",
       "every overlay found into the mask picture (a tag; not a\n"
       "clock, which is left out), not only the channel's logo",
       [](Text, DetectOptions& o) { o.allOverlays = true; return std::string(); }},
      {{"--channel"}, Value, "--channel ID", "channel section of the printed lines (default 1)",
       [](Text v, DetectOptions& o) { return SetChannelId("--channel", v, o.channelId); }},
      {{"--write"}, Value, "--write ID",
       "put the lines into channel ID of the settings file instead",
       [](Text v, DetectOptions& o) {
         ChannelId id = 0;
         std::string error = SetChannelId("--write", v, id);
         if (error.empty()) o.writeChannel = id;
         return error;
       }},
      {{"--settings"}, Value, "--settings FILE",
       "with --write: the file to change (default: the plug-in's\n"
       "own file, found as the plug-in finds it)",
       [](Text v, DetectOptions& o) { return SetFile("--settings", v, o.settingsPath); }},
      {{"--plugin"}, Value, "--plugin PATH",
       "plug-in library whose settings file --write changes",
       [](Text v, DetectOptions& o) { o.pluginPath = v; return std::string(); }},
  };
  return table;
}

std::string CheckCombination(const DetectOptions& options) {
  if (!options.settingsPath.empty() && !options.writeChannel) return "--settings needs --write ID";
  if (!options.format || *options.format == StreamFormat::Y4m) return {};
  if (!options.size) return std::string("--format ") + StreamFormatName(*options.format) + " needs --size WxH";
  return CheckFrameSize(*options.format, *options.size);
}

}  // namespace

std::optional<std::uint32_t> ParseKeyColour(const std::string& text) {
  std::optional<std::uint32_t> colour;
  if (text.size() == 7 && text[0] == '#') {
    const auto rgb = ParseWholeNumber<std::uint32_t>(std::string_view(text).substr(1), 16);
    if (!rgb) return std::nullopt;
    // #RRGGBB to 0x00BBGGRR.
    colour = ((*rgb & 0xFF) << 16) | (*rgb & 0xFF00) | ((*rgb >> 16) & 0xFF);
  } else if (text.starts_with("0x") || text.starts_with("0X")) {
    colour = ParseWholeNumber<std::uint32_t>(std::string_view(text).substr(2), 16);
  } else {
    colour = ParseWholeNumber<std::uint32_t>(text);
  }
  if (!colour || *colour > 0xFFFFFFu) return std::nullopt;
  return colour;
}

ParsedDetectOptions ParseDetectOptions(const std::vector<std::string>& args) {
  ParsedDetectOptions result;
  result.error = ApplyOptions(DetectOptionTable(), args, "detect option", result.options);
  if (result.Ok() && !result.options.help) result.error = CheckCombination(result.options);
  return result;
}

std::string DetectUsageText() {
  return
      "usage: kestrimo-host detect [options] [-i INPUT]\n"
      "Finds the broadcaster's logo in a stretch of a recording (the edges that stay\n"
      "near the top or bottom of the picture, inside any bars, while the picture\n"
      "around them changes), writes a mask picture for it and prints the lines of a\n"
      "channel section that use it. Every overlay found is listed on stderr.\n"
      "\n" +
      OptionListText(DetectOptionTable()) +
      "\n"
      "Exit codes: 0 a logo found, 1 no logo, 2 usage error, 3 any other error,\n"
      "4 cannot tell (too few frames, a still camera whose middle keeps its edges, or\n"
      "still shapes that nothing ever passed in front of).\n"
      "Example:\n"
      "  ffmpeg -i in.ts -t 10 -pix_fmt yuv422p -f yuv4mpegpipe - |\n"
      "    kestrimo-host detect --mask /home/me/logo.bmp --overlay check.png\n";
}

}  // namespace kestrimo
