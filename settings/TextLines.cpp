#include "settings/TextLines.h"

namespace kestrimo {

TextLine LineAt(std::string_view text, std::size_t pos) {
  const std::size_t feed = text.find('\n', pos);
  const std::size_t end = feed == std::string_view::npos ? text.size() : feed;
  std::string_view line = text.substr(pos, end - pos);
  if (feed != std::string_view::npos && !line.empty() && line.back() == '\r')
    line.remove_suffix(1);
  const std::size_t nul = line.find('\0');
  if (nul != std::string_view::npos) line = line.substr(0, nul);
  return {line, feed == std::string_view::npos ? text.size() : feed + 1};
}

}  // namespace kestrimo
