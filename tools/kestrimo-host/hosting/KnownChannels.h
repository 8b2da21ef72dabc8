// The channels this host has sent frames of, asked by the plug-in through the
// host callback. The callback carries no context, so the set is process-wide.
#pragma once

#include <cstdint>

#include "model/HostRecords.h"

namespace kestrimo {

void RememberChannel(ChannelId id);
bool IsKnownChannel(ChannelId id);
void ForgetAllChannels();

// The ChannelExistsProc handed to the plug-in: non-zero for a remembered channel.
std::int32_t KESTRIMO_CDECL KnownChannelExists(ChannelId id);

}  // namespace kestrimo
