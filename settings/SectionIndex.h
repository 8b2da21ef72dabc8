// The section headers of a settings file's text, sorted by their text, so
// that a section is found without reading the file line by line: the circular
// search from a given line costs a binary search, and no file (a thousand
// sections, or a thousand sections that are never found) makes loading
// quadratic.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace kestrimo {

class SectionIndex {
 public:
  // Lines are numbered by their start position, which must fit 32 bits.
  static constexpr std::size_t kMaxText = 0xFFFFFFFFu;

  // Indexes every line whose trimmed text is "[...]". The text must stay
  // unchanged and alive while the index is used.
  void Build(std::string_view text);
  void Clear();

  // The start of the first line at or after from whose trimmed text equals
  // header, or failing that the first such line of the whole text (the
  // search wraps around at the end); none when no line matches.
  std::optional<std::size_t> FindFrom(std::string_view header, std::size_t from) const;

 private:
  struct Entry {
    std::uint32_t line;    // start of the line
    std::uint32_t start;   // start of the trimmed header text
    std::uint32_t length;  // its length
  };
  std::string_view Text(const Entry& entry) const {
    return text_.substr(entry.start, entry.length);
  }

  std::string_view text_;
  std::vector<Entry> entries_;  // by header text, then by position
};

}  // namespace kestrimo
