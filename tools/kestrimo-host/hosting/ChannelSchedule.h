// Which channel each frame belongs to: the starting channel and the switches.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/HostRecords.h"

namespace kestrimo {

// From frame `frame` (0-based) on, the frames belong to channel `id`.
struct ChannelSwitch {
  std::int64_t frame = 0;
  ChannelId id = 0;
  std::optional<std::string> name;  // absent: the --name text
};

struct Channel {
  ChannelId id = 0;
  std::string name;
};

class ChannelSchedule {
 public:
  // Switches may come in any order; of two at the same frame the later one wins.
  ChannelSchedule(Channel first, const std::vector<ChannelSwitch>& switches);

  const Channel& ChannelOf(std::int64_t frame) const;

 private:
  struct Entry {
    std::int64_t from;
    Channel channel;
  };
  std::vector<Entry> entries_;  // by starting frame; entries_[0] starts at frame 0
};

}  // namespace kestrimo
