// The version a plug-in library carries: the fixed record of its version
// resource (the DLL), or the same record as plain data (the native library).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kestrimo {

// "1.0.2" from the first fixed version record in `bytes` (a fourth number
// only when it is not 0); empty when there is none.
std::string FindVersionRecord(const std::uint8_t* bytes, std::size_t size);

// The version of the library file at `path`; empty when it has none or
// cannot be read.
std::string PluginFileVersion(const std::string& path);

}  // namespace kestrimo
