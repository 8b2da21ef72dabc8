#include "tools/kestrimo-host/detect/DetectOptions.h"
#include "tools/kestrimo-host/app/OptionWords.h"

#include <charconv>
#include <string_view>

#include "tools/kestrimo-host/app/Options.h"

namespace kestrimo {
namespace {

template <typename Int>
std::optional<Int> ParseNumber(std::string_view text, int base = 10) {
  Int value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

bool TakesValue(std::string_view name) {
  return name == "-i" || name == "--input" || name == "--format" || name == "--size" ||
         name == "--frames" || name == "--step" || name == "--mask" || name == "--key" ||
         name == "--margin" || name == "--expand" || name == "--overlay" ||
         name == "--channel" || name == "--write" || name == "--settings" || name == "--plugin";
}

// A whole number in lo..hi, or an error text naming the option.
std::string Bounded(std::string_view name, const std::string& value, std::int64_t lo,
                    std::int64_t hi, std::int64_t& out) {
  const auto number = ParseNumber<std::int64_t>(value);
  if (!number || *number < lo || *number > hi) {
    return "bad " + std::string(name) + " '" + value + "' (" + std::to_string(lo) + ".." +
           std::to_string(hi) + ")";
  }
  out = *number;
  return {};
}

std::string ApplyNumber(std::string_view name, const std::string& value, DetectOptions& options) {
  std::int64_t number = 0;
  std::string error;
  if (name == "--frames") {
    error = Bounded(name, value, 1, 1000000, number);
    options.frames = number;
  } else if (name == "--step") {
    error = Bounded(name, value, 1, 1000, number);
    options.step = static_cast<std::int32_t>(number);
  } else if (name == "--margin") {
    error = Bounded(name, value, 2, 64, number);
    options.margin = static_cast<std::int32_t>(number);
  } else if (name == "--expand") {
    error = Bounded(name, value, 0, 30, number);
    options.expand = static_cast<std::int32_t>(number);
  }
  return error;
}

std::optional<ChannelId> ParseChannel(const std::string& value) {
  return ParseNumber<ChannelId>(value);
}

// Stores one option's value; returns an error text or empty.
std::string Apply(std::string_view name, const std::string& value, DetectOptions& options) {
  if (name == "-i" || name == "--input") {
    options.input = value;
  } else if (name == "--format") {
    options.format = ParseStreamFormat(value);
    if (!options.format) return "unknown format '" + value + "' (y4m, yuyv422 or bgr24)";
  } else if (name == "--size") {
    options.size = ParseFrameSize(value);
    if (!options.size) return "bad --size '" + value + "' (WxH)";
  } else if (name == "--mask" || name == "--overlay" || name == "--settings") {
    if (value.empty() || value == "-") return std::string(name) + " needs a file name";
    (name == "--mask" ? options.maskPath
                      : name == "--overlay" ? options.overlayPath : options.settingsPath) = value;
  } else if (name == "--plugin") {
    options.pluginPath = value;
  } else if (name == "--key") {
    options.key = ParseKeyColour(value);
    if (!options.key) return "bad --key '" + value + "' (16744448, 0xFF8000 or #0080FF)";
  } else if (name == "--channel" || name == "--write") {
    const auto id = ParseChannel(value);
    if (!id) return "bad " + std::string(name) + " '" + value + "' (a signed 64-bit number)";
    (name == "--channel" ? options.channelId : options.writeChannel.emplace()) = *id;
  } else {
    return ApplyNumber(name, value, options);
  }
  return {};
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
    const auto rgb = ParseNumber<std::uint32_t>(std::string_view(text).substr(1), 16);
    if (!rgb) return std::nullopt;
    // #RRGGBB to 0x00BBGGRR.
    colour = ((*rgb & 0xFF) << 16) | (*rgb & 0xFF00) | ((*rgb >> 16) & 0xFF);
  } else if (text.starts_with("0x") || text.starts_with("0X")) {
    colour = ParseNumber<std::uint32_t>(std::string_view(text).substr(2), 16);
  } else {
    colour = ParseNumber<std::uint32_t>(text);
  }
  if (!colour || *colour > 0xFFFFFFu) return std::nullopt;
  return colour;
}

ParsedDetectOptions ParseDetectOptions(const std::vector<std::string>& args) {
  ParsedDetectOptions result;
  DetectOptions& options = result.options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.starts_with("-inst:") || arg.starts_with("/inst:")) continue;
    if (arg == "--help" || arg == "-h") {
      options.help = true;
      continue;
    }
    const ValueOption option = ReadValueOption(args, i, TakesValue, "detect option");
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

std::string DetectUsageText() {
  return
      "usage: kestrimo-host detect [options] [-i INPUT]\n"
      "Finds the broadcaster's logo in a stretch of a recording (the part of the\n"
      "picture that stays still while the rest moves), writes a mask picture for it\n"
      "and prints the lines of a channel section that use it.\n"
      "\n"
      "  -i INPUT            file or '-' for standard input (default '-')\n"
      "  --format FMT        y4m, yuyv422 or bgr24 (default: y4m, detected)\n"
      "  --size WxH          frame size of raw input\n"
      "  --frames N          read at most N frames (default 250, 10 s of 25 frames/s)\n"
      "  --step K            look at every K-th frame read (default 1)\n"
      "  --mask FILE.bmp     mask picture to write (default logo.bmp), 24-bit BMP\n"
      "  --key COLOUR        key colour: 16744448, 0xFF8000 (0x00BBGGRR) or #0080FF;\n"
      "                      default the channel's ColorKey, else R 0 G 128 B 255\n"
      "  --margin N          frame pixels kept around the logo, 2..64 (default 4)\n"
      "  --expand N          ExpandX/ExpandY written with the mask, 0..30 (default 0)\n"
      "  --overlay FILE.png  the first frame with the logo tinted and the area framed\n"
      "  --channel ID        channel section of the printed lines (default 1)\n"
      "  --write ID          put the lines into channel ID of the settings file instead\n"
      "  --settings FILE     with --write: the file to change (default: the plug-in's\n"
      "                      own file, found as the plug-in finds it)\n"
      "  --plugin PATH       plug-in library whose settings file --write changes\n"
      "\n"
      "Exit codes: 0 a logo found, 1 none found or a runtime error, 2 usage error.\n"
      "Example:\n"
      "  ffmpeg -i in.ts -t 10 -pix_fmt yuv422p -f yuv4mpegpipe - |\n"
      "    kestrimo-host detect --mask /home/me/logo.bmp --overlay check.png\n";
}

}  // namespace kestrimo
