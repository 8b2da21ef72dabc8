#include "tools/kestrimo-host/app/OptionTable.h"

namespace kestrimo {
namespace {

constexpr std::size_t kHelpColumn = 22;  // where the right column of --help starts

}  // namespace

OptionWord SplitOptionWord(const std::string& arg) {
  const auto equals = arg.find('=');
  if (!arg.starts_with("--") || equals == std::string::npos) return {arg, {}, false};
  return {arg.substr(0, equals), arg.substr(equals + 1), true};
}

std::string UnknownWordError(const std::string& arg, std::string_view what) {
  return arg.starts_with("-") && arg != "-" ? "unknown " + std::string(what) + " '" + arg + "'"
                                            : "unexpected argument '" + arg + "'";
}

std::string OptionHelpText(std::string_view label, std::string_view help) {
  std::string text = "  " + std::string(label);
  // A label too wide for the left column puts its help on the lines below.
  if (text.size() + 2 > kHelpColumn) {
    text += '\n';
    text.append(kHelpColumn, ' ');
  } else {
    text.append(kHelpColumn - text.size(), ' ');
  }
  for (std::size_t start = 0;;) {
    const std::size_t end = help.find('\n', start);
    text.append(help.substr(start, end - start));
    text += '\n';
    if (end == std::string_view::npos) return text;
    text.append(kHelpColumn, ' ');
    start = end + 1;
  }
}

}  // namespace kestrimo
