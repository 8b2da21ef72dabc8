#include "settings/DecimalText.h"

#include <charconv>

#include "settings/TextLines.h"

namespace kestrimo {
namespace {

// The magnitude wraps in unsigned arithmetic; negation is modular too.
std::uint64_t ParseWrapping(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  std::uint64_t total = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i)
    total = total * 10u + static_cast<std::uint64_t>(text[i] - '0');
  return negative ? 0u - total : total;
}

template <typename Number>
std::string Format(Number value) {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  return std::string(digits, result.ptr);
}

}  // namespace

std::int32_t ParseAtoi(std::string_view text) {
  return static_cast<std::int32_t>(static_cast<std::uint32_t>(ParseWrapping(text)));
}

std::int32_t ParseAtol(std::string_view text) { return ParseAtoi(text); }

std::int64_t ParseAtoi64(std::string_view text) {
  return static_cast<std::int64_t>(ParseWrapping(text));
}

std::string FormatSigned(std::int64_t value) { return Format(value); }
std::string FormatUnsigned(std::uint64_t value) { return Format(value); }

}  // namespace kestrimo
