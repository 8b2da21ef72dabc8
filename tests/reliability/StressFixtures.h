// Shared pieces of the reliability tests: the frame they feed the plug-in,
// the mask picture the window chooses, and a fresh state's output for one
// record.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/ChannelSettings.h"
#include "tests/integration/TestFrame.h"
#include "tests/support/PictureFiles.h"

namespace kestrimo::testing {

// A textured frame with a bright logo block near the middle.
std::vector<std::uint8_t> InputFrame(FrameFormat format, std::int32_t width, std::int32_t height);

// Writes a mask picture to the folder: a block of `key` (0x00BBGGRR) in the
// middle of other colours. Returns its full name.
std::string WriteMaskPicture(const PictureFolder& folder, std::uint32_t key);

// The output hash of one frame through a fresh state whose only record is
// `settings`, with the settings window open or not.
std::uint64_t FreshOutputHash(const ChannelSettings& settings, bool windowOpen,
                              const std::vector<std::uint8_t>& input, std::int32_t width,
                              std::int32_t height, std::int32_t frameMode);

}  // namespace kestrimo::testing
