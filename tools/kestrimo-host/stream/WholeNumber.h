// The one reader of whole numbers in the tool's input: Y4M header fields and
// command-line values alike.
#pragma once

#include <charconv>
#include <optional>
#include <string_view>
#include <system_error>

namespace kestrimo {

// `text` as a whole number in `base`: an optional '-' (for signed types) and
// digits, nothing before or after. Absent when empty, malformed or out of
// Int's range.
template <typename Int>
std::optional<Int> ParseWholeNumber(std::string_view text, int base = 10) {
  Int value{};
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value, base);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

}  // namespace kestrimo
