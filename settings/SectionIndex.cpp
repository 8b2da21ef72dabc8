#include "settings/SectionIndex.h"

#include <algorithm>

#include "settings/TextLines.h"

namespace kestrimo {

void SectionIndex::Build(std::string_view text) {
  Clear();
  if (text.size() > kMaxText) return;
  text_ = text;
  for (std::size_t pos = 0; pos < text.size();) {
    const TextLine line = LineAt(text, pos);
    const std::string_view trimmed = Trim(line.text);
    if (IsHeaderText(trimmed))
      entries_.push_back({static_cast<std::uint32_t>(pos),
                          static_cast<std::uint32_t>(trimmed.data() - text.data()),
                          static_cast<std::uint32_t>(trimmed.size())});
    pos = line.next;
  }
  // Stable: entries of equal text stay in file order.
  std::stable_sort(entries_.begin(), entries_.end(),
                   [this](const Entry& a, const Entry& b) { return Text(a) < Text(b); });
}

void SectionIndex::Clear() {
  text_ = {};
  entries_.clear();
  entries_.shrink_to_fit();
}

std::optional<std::size_t> SectionIndex::FindFrom(std::string_view header,
                                                  std::size_t from) const {
  const auto first = std::lower_bound(
      entries_.begin(), entries_.end(), header,
      [this](const Entry& entry, std::string_view value) { return Text(entry) < value; });
  const auto last = std::upper_bound(
      first, entries_.end(), header,
      [this](std::string_view value, const Entry& entry) { return value < Text(entry); });
  if (first == last) return std::nullopt;
  const auto at = std::lower_bound(first, last, from, [](const Entry& entry, std::size_t pos) {
    return entry.line < pos;
  });
  return at != last ? at->line : first->line;
}

}  // namespace kestrimo
