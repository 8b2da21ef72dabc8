// The two checksums of a PNG file: CRC-32 over each chunk, Adler-32 over the
// uncompressed data of the zlib stream.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrimo {

// CRC-32 (polynomial 0xEDB88320, reflected, as in PNG and zlib). Start with
// crc 0 and feed the result of one call into the next to continue a sum.
std::uint32_t Crc32(const std::uint8_t* data, std::size_t count, std::uint32_t crc = 0);

// Adler-32; start with 1 and continue like Crc32.
std::uint32_t Adler32(const std::uint8_t* data, std::size_t count, std::uint32_t adler = 1);

}  // namespace kestrimo
