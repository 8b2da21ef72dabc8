// Host frames for the fuzz targets: a pixel block of exactly the size the
// format announces (so that the address sanitizer sees any access beyond
// it), and the host records that carry it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "model/HostRecords.h"

namespace kestrimo::fuzzing {

// Bytes of a frame: 2 per pixel in mode 0, 3 otherwise; none for a negative
// size.
std::size_t FrameBytes(std::int32_t width, std::int32_t height, std::int32_t mode);

class HostFrame {
 public:
  // A textured frame of the given format, seeded so that runs repeat.
  HostFrame(std::int32_t width, std::int32_t height, std::int32_t mode, std::uint32_t seed);

  // The record for one call, for the channel id; reuses the same pixels.
  FrameInfo* Info(ChannelId channel);
  std::size_t size() const { return size_; }
  const std::uint8_t* data() const { return bytes_.get(); }

 private:
  // Allocated with exactly size_ bytes, also when that is 0.
  std::size_t size_;
  std::unique_ptr<std::uint8_t[]> bytes_;
  ChannelInfo channel_{};
  FrameInfo info_{};
};

}  // namespace kestrimo::fuzzing
