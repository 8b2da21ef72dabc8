#include "bench/frame/CacheControl.h"

#include <emmintrin.h>
#include <unistd.h>

namespace kestrimo::bench {
namespace {

constexpr std::size_t kLine = 64;

std::size_t LastLevelCacheBytes() {
  const long size = sysconf(_SC_LEVEL3_CACHE_SIZE);
  return size > 0 ? static_cast<std::size_t>(size) : std::size_t{32} << 20;
}

}  // namespace

void FlushFromCache(const void* data, std::size_t bytes) {
  const auto* p = static_cast<const std::uint8_t*>(data);
  for (std::size_t i = 0; i < bytes; i += kLine) _mm_clflush(p + i);
  if (bytes > 0) _mm_clflush(p + bytes - 1);
  _mm_mfence();
}

CacheEviction::CacheEviction() : block_(2 * LastLevelCacheBytes(), 1) {}

void CacheEviction::operator()() {
  std::uint32_t sum = 0;
  for (std::size_t i = 0; i < block_.size(); i += kLine) sum += block_[i];
  sink_ = sink_ + sum;
}

}  // namespace kestrimo::bench
