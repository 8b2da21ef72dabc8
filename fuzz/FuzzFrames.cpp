#include "fuzz/FuzzFrames.h"

#include <cstdio>

namespace kestrimo::fuzzing {

std::size_t FrameBytes(std::int32_t width, std::int32_t height, std::int32_t mode) {
  if (width <= 0 || height <= 0) return 0;
  const std::size_t perPixel = mode == 0 ? 2 : 3;
  return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * perPixel;
}

HostFrame::HostFrame(std::int32_t width, std::int32_t height, std::int32_t mode,
                     std::uint32_t seed)
    : size_(FrameBytes(width, height, mode)), bytes_(new std::uint8_t[size_]) {
  // A small linear congruential sequence: texture without a library call.
  std::uint32_t x = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < size_; ++i) {
    x = x * 1664525u + 1013904223u;
    bytes_[i] = static_cast<std::uint8_t>(x >> 24);
  }
  std::snprintf(channel_.name, sizeof channel_.name, "channel");
}

FrameInfo* HostFrame::Info(ChannelId channel) {
  channel_.id = channel;
  info_.pixels = bytes_.get();  // never null: an empty frame is still a call
  info_.channel = &channel_;
  return &info_;
}

}  // namespace kestrimo::fuzzing
