// Whether the plug-in will remove anything: ProcEnable of the run's channels
// as the plug-in will read them from its settings file.
#pragma once

#include <string>
#include <vector>

#include "model/HostRecords.h"

namespace kestrimo {

// The channels among `channels` (each once, in the given order) whose removal
// is off in the settings file at `settingsPath`: their own section's
// ProcEnable, or for a channel without one the DEFAULT section's, as the
// plug-in takes it. A missing or empty path reads as no file: all off.
std::vector<ChannelId> ChannelsWithRemovalOff(const std::string& settingsPath,
                                              const std::vector<ChannelId>& channels);

// The advice for those channels, empty when there are none: that their frames
// pass unchanged, and how to switch removal on.
std::string RemovalOffNotice(const std::vector<ChannelId>& channels);

}  // namespace kestrimo
