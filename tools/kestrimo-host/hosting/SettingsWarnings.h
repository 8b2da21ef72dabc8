// Mistakes in the settings a run uses that would otherwise pass unnoticed,
// as one warning line each: a file that is no settings file, a mask picture
// or logo model that does not exist, an area larger than the frame.
#pragma once

#include <string>
#include <vector>

#include "model/HostRecords.h"

namespace kestrimo {

// The warnings for the channels `channels` (those with removal on) of the
// settings file at `settingsPath`, which the user knows as `shownName`.
std::vector<std::string> SettingsWarnings(const std::string& settingsPath,
                                          const std::string& shownName,
                                          const std::vector<ChannelId>& channels);

}  // namespace kestrimo
