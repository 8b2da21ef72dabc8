// Lines and white space of the settings file's text, as a text-mode stream
// sees them: a line runs up to its line feed, which is removed together with
// a carriage return right before it; a NUL byte ends the line's text, as it
// ends a C string. Lone carriage returns stay part of the line.
#pragma once

#include <cstddef>
#include <string_view>

namespace kestrimo {

// Blank, tab, carriage return, line feed, vertical tab, form feed.
constexpr bool IsBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

constexpr std::string_view TrimLeft(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  return text;
}

constexpr std::string_view TrimRight(std::string_view text) {
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

constexpr std::string_view Trim(std::string_view text) { return TrimRight(TrimLeft(text)); }

// A trimmed line of the form "[...]".
constexpr bool IsHeaderText(std::string_view trimmed) {
  return trimmed.size() >= 2 && trimmed.front() == '[' && trimmed.back() == ']';
}

struct TextLine {
  std::string_view text;  // without its line end
  std::size_t next;       // where the following line starts
};

// The line that starts at position pos (pos < text.size()).
TextLine LineAt(std::string_view text, std::size_t pos);

}  // namespace kestrimo
