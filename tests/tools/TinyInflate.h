// A minimal zlib reader for the tests: stored and fixed-Huffman deflate blocks
// only, written independently of the encoder it checks.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace kestrimo::testing {

// The data of a zlib stream, or nothing when the stream is malformed, uses
// dynamic Huffman blocks, or fails its Adler-32 check.
std::optional<std::vector<std::uint8_t>> ZlibInflate(const std::vector<std::uint8_t>& stream);

}  // namespace kestrimo::testing
