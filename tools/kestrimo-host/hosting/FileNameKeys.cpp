#include "tools/kestrimo-host/hosting/FileNameKeys.h"

#include <algorithm>
#include <cctype>
#include <vector>

namespace kestrimo {
namespace {

constexpr std::string_view kFileNameKeys[] = {"MaskFileName", "LogoModelFile"};

struct Line {
  std::size_t start;  // of the line
  std::size_t end;    // past its line feed, or the text's end
  std::string_view text;  // without the line end
};

std::vector<Line> LinesOf(std::string_view text) {
  std::vector<Line> lines;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t feed = text.find('\n', pos);
    const std::size_t end = feed == std::string_view::npos ? text.size() : feed + 1;
    std::string_view line = text.substr(pos, (feed == std::string_view::npos ? end : feed) - pos);
    if (line.ends_with('\r')) line.remove_suffix(1);
    lines.push_back({pos, end, line});
    pos = end;
  }
  return lines;
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front()))) text.remove_prefix(1);
  while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back()))) text.remove_suffix(1);
  return text;
}

// As the plug-in reads them: case counts.
bool SameWord(std::string_view a, std::string_view b) { return a == b; }

// The section a header line opens, or nothing.
bool SectionName(std::string_view line, std::string_view& name) {
  line = Trimmed(line);
  if (line.size() < 2 || line.front() != '[' || line.back() != ']') return false;
  name = Trimmed(line.substr(1, line.size() - 2));
  return true;
}

bool KeyValue(std::string_view line, std::string_view key, std::string_view& value) {
  const std::size_t equals = line.find('=');
  if (equals == std::string_view::npos || !SameWord(Trimmed(line.substr(0, equals)), key)) return false;
  value = Trimmed(line.substr(equals + 1));
  return true;
}

// The last value of `key` in the sections named `section`; `present` tells
// whether there is one at all.
std::string_view ValueIn(const std::vector<Line>& lines, std::string_view section,
                         std::string_view key, bool& present) {
  std::string_view current, value, name;
  present = false;
  bool first = true;
  for (const Line& line : lines) {
    if (SectionName(line.text, name)) {
      current = name;
      first = false;
      continue;
    }
    if (!first && SameWord(current, section) && KeyValue(line.text, key, value)) present = true;
  }
  return present ? value : std::string_view();
}

// Where the line after `section`'s header starts; npos when there is no such header.
std::size_t AfterHeader(const std::vector<Line>& lines, std::string_view section) {
  std::string_view name;
  for (const Line& line : lines) {
    if (SectionName(line.text, name) && SameWord(name, section)) return line.end;
  }
  return std::string_view::npos;
}

// Sets `key` to `value` in `section` of `text`.
std::string PutBack(std::string text, std::string_view section, std::string_view key,
                    std::string_view value, const std::string& newline) {
  const std::vector<Line> lines = LinesOf(text);
  const std::string entry = std::string(key) + "=" + std::string(value);
  std::string_view current, name, old;
  for (const Line& line : lines) {
    if (SectionName(line.text, name)) current = name;
    else if (SameWord(current, section) && KeyValue(line.text, key, old)) {
      text.replace(line.start, line.text.size(), entry);  // the empty value
      return text;
    }
  }
  const std::size_t after = AfterHeader(lines, section);
  if (after != std::string_view::npos) {
    if (after == text.size() && !text.ends_with('\n')) text += newline;
    text.insert(std::min(after, text.size()), entry + newline);
    return text;
  }
  if (!text.empty() && !text.ends_with('\n')) text += newline;
  return text + "[" + std::string(section) + "]" + newline + entry + newline;
}

}  // namespace

std::string KeepFileNameKeys(std::string_view user, std::string_view rewritten) {
  const std::string newline = rewritten.find("\r\n") != std::string_view::npos ? "\r\n" : "\n";
  const std::vector<Line> userLines = LinesOf(user);
  std::string result(rewritten);
  std::string_view name;
  std::vector<std::string_view> sections;
  for (const Line& line : userLines) {
    if (SectionName(line.text, name)) sections.push_back(name);
  }
  for (std::string_view section : sections) {
    for (std::string_view key : kFileNameKeys) {
      bool given = false, kept = false;
      const std::string_view wanted = ValueIn(userLines, section, key, given);
      if (wanted.empty()) continue;
      const std::vector<Line> resultLines = LinesOf(result);
      const std::string_view now = ValueIn(resultLines, section, key, kept);
      if (!kept || now.empty()) result = PutBack(std::move(result), section, key, wanted, newline);
    }
  }
  return result;
}

}  // namespace kestrimo
