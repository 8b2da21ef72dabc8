// Putting the caches in the state a live host leaves them in: a frame that
// arrives from memory (written by a capture card, or long ago by a decoder),
// or everything cold after the host's own work between two frames.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kestrimo::bench {

// Writes the cache lines of the block back and drops them from every cache.
void FlushFromCache(const void* data, std::size_t bytes);

// Reads one byte of every cache line of a block twice the last-level cache,
// so that little of what was cached before stays: code, tables, buffers.
class CacheEviction {
 public:
  CacheEviction();
  void operator()();

 private:
  std::vector<std::uint8_t> block_;
  volatile std::uint32_t sink_ = 0;
};

}  // namespace kestrimo::bench
