// Compressed video given where frames are expected: container files known by
// their first bytes, so that the tool can say to decode them first instead
// of taking their bytes for pictures.
#pragma once

#include <string>
#include <string_view>

namespace kestrimo {

// The kind of container `head` (the input's first bytes, up to
// kContainerHeadBytes) begins like, e.g. "an MP4/MOV file"; empty when none.
// With `rawFormat` only signatures that raw frames cannot show by chance
// count (no MPEG-TS sync bytes, which a flat grey picture repeats).
std::string ContainerKind(std::string_view head, bool rawFormat);

inline constexpr std::size_t kContainerHeadBytes = 377;

// The message for such an input.
std::string DecodeFirstAdvice(const std::string& kind);

}  // namespace kestrimo
