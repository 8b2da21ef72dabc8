#include "tools/kestrimo-host/hosting/ChannelSchedule.h"

#include <algorithm>

namespace kestrimo {

ChannelSchedule::ChannelSchedule(Channel first, const std::vector<ChannelSwitch>& switches) {
  entries_.push_back({0, first});
  for (const ChannelSwitch& change : switches) {
    entries_.push_back({change.frame, {change.id, change.name.value_or(first.name)}});
  }
  std::stable_sort(entries_.begin(), entries_.end(),
                   [](const Entry& a, const Entry& b) { return a.from < b.from; });
}

const Channel& ChannelSchedule::ChannelOf(std::int64_t frame) const {
  // The last entry that has started by this frame; entries_[0] always has.
  const auto after = std::upper_bound(
      entries_.begin() + 1, entries_.end(), frame,
      [](std::int64_t f, const Entry& entry) { return f < entry.from; });
  return std::prev(after)->channel;
}

}  // namespace kestrimo
