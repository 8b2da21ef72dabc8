// A small zlib compressor: one deflate block with the fixed Huffman codes and
// greedy LZ77 matches found through a one-entry hash table. Far from the best
// ratio, but short, and plenty for occasional picture files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrimo {

// The zlib stream (header, deflate data, Adler-32) of `count` bytes.
std::vector<std::uint8_t> ZlibCompress(const std::uint8_t* data, std::size_t count);

}  // namespace kestrimo
