// A picture to check a detection by eye: a frame with the logo's pixels
// tinted and the processed area framed.
#pragma once

#include <cstdint>
#include <vector>

#include "base/Rect.h"
#include "detect/LogoMask.h"
#include "tools/kestrimo-host/stream/StreamFormat.h"

namespace kestrimo {

// RGB rows top-down, 3 x width bytes each: the frame, logo pixels mixed half
// and half with magenta, and a one-pixel green line just inside the edge of
// `area` (clipped to the frame). The mask has the frame's size.
std::vector<std::uint8_t> LogoOverlayRgb(StreamFormat format, FrameSize size,
                                         const std::uint8_t* frame, const LogoMask& logo,
                                         const Rect& area);

}  // namespace kestrimo
