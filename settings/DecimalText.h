// Decimal conversions of the settings file, defined here rather than taken
// from the C library so that both targets read and write the same text.
//
// Reading follows the 32-bit Windows runtime the settings format comes from:
// leading white space (blank, tab, CR, LF, VT, FF), one optional sign, then
// decimal digits up to the first other character; no digits give 0. The
// digits accumulate modulo 2^32 (2^64 for the 64-bit reader) and the sign is
// applied last, exactly as that runtime wraps on overflow. So an unsigned
// value written with "%u" reads back unchanged through the signed reader
// ("4294967295" gives -1, the same 32 bits).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace kestrimo {

std::int32_t ParseAtoi(std::string_view text);
std::int32_t ParseAtol(std::string_view text);  // long is 32 bits on the host
std::int64_t ParseAtoi64(std::string_view text);

// "%d" / "%I64d" and "%u" / "%I64u".
std::string FormatSigned(std::int64_t value);
std::string FormatUnsigned(std::uint64_t value);

}  // namespace kestrimo
