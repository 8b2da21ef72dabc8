// The few console facts the tool needs that differ by target. They come from
// the C runtime only, so no system header is needed here.
#pragma once

#include <cstdio>

namespace kestrimo {

// Standard streams carry video: no line-end translation on Windows.
void SetBinaryMode(std::FILE* stream);

bool IsTerminal(std::FILE* stream);

// A closed output pipe becomes a write error the tool reports, instead of a
// signal that would end the process before the plug-in is shut down.
void IgnoreBrokenPipe();

}  // namespace kestrimo
