#include "fuzz/FuzzFrames.h"

#include <sanitizer/asan_interface.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace kestrimo::fuzzing {

std::size_t FrameBytes(std::int32_t width, std::int32_t height, std::int32_t mode) {
  if (width <= 0 || height <= 0) return 0;
  const std::size_t perPixel = mode == 0 ? 2 : 3;
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * perPixel;
}

HostFrame::HostFrame(std::int32_t width, std::int32_t height, std::int32_t mode,
                     std::uint32_t seed)
    : size_(FrameBytes(width, height, mode)) {
  const std::size_t page = static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
  const std::size_t pages = (size_ + page - 1) / page * page;
  mapped_ = 2 * kGuardBytes + pages;
  void* mapping = mmap(nullptr, mapped_, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE,
                       -1, 0);
  if (mapping == MAP_FAILED ||
      (pages > 0 && mprotect(static_cast<std::uint8_t*>(mapping) + kGuardBytes, pages,
                             PROT_READ | PROT_WRITE) != 0)) {
    std::perror("frame mapping");
    std::abort();
  }
  mapping_ = static_cast<std::uint8_t*>(mapping);
  slack_ = pages - size_;
  bytes_ = mapping_ + kGuardBytes + slack_;  // the last byte touches the reservation after
  ASAN_POISON_MEMORY_REGION(mapping_ + kGuardBytes, slack_);
  // A small linear congruential sequence: texture without a library call.
  std::uint32_t x = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < size_; ++i) {
    x = x * 1664525u + 1013904223u;
    bytes_[i] = static_cast<std::uint8_t>(x >> 24);
  }
  std::snprintf(channel_.name, sizeof channel_.name, "channel");
}

HostFrame::~HostFrame() {
  // The poison outlives a mapping: lifted first, or a later block at the
  // same address would seem poisoned.
  ASAN_UNPOISON_MEMORY_REGION(mapping_ + kGuardBytes, slack_);
  munmap(mapping_, mapped_);
}

FrameInfo* HostFrame::Info(ChannelId channel) {
  channel_.id = channel;
  info_.pixels = bytes_;
  info_.channel = &channel_;
  return &info_;
}

}  // namespace kestrimo::fuzzing
