// A visible broadcaster's logo for the quality runs: three white block
// letters at 75 % opacity, stretched over the pixels to be rebuilt less a
// 1-pixel gap, so that the ring the rebuild starts from stays clean.
#pragma once

#include "bench/frame/Frames.h"
#include "bench/frame/LogoArea.h"

namespace kestrimo::bench {

// True where the logo covers pixel (x, y) of `rebuilt`'s frame.
bool LogoCovers(const Area& rebuilt, int x, int y);

void OverlayLogo(PackedFrame& frame, const Area& rebuilt);

}  // namespace kestrimo::bench
