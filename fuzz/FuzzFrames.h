// Host frames for the fuzz targets: a pixel block of exactly the size the
// format announces, between two wide inaccessible reservations, and the host
// records that carry it. A write past the end faults on the reservation
// after it; one before the start meets the address sanitizer's poison on
// the rest of the first page, then the reservation before it. So a stray
// row far from the frame (which the sanitizer alone would miss, when it
// lands in another live block) stops the run too.
#pragma once

#include <cstddef>
#include <cstdint>

#include "model/HostRecords.h"

namespace kestrimo::fuzzing {

// Bytes of a frame: 2 per pixel in mode 0, 3 otherwise; none for a negative
// size.
std::size_t FrameBytes(std::int32_t width, std::int32_t height, std::int32_t mode);

class HostFrame {
 public:
  // Reserved on each side of the frame: rows of the widest frame a target
  // makes, by the hundred thousand.
  static constexpr std::size_t kGuardBytes = std::size_t{1} << 30;

  // A textured frame of the given format, seeded so that runs repeat.
  HostFrame(std::int32_t width, std::int32_t height, std::int32_t mode, std::uint32_t seed);
  ~HostFrame();
  HostFrame(const HostFrame&) = delete;
  HostFrame& operator=(const HostFrame&) = delete;

  // The record for one call, for the channel id; reuses the same pixels.
  FrameInfo* Info(ChannelId channel);
  std::size_t size() const { return size_; }
  const std::uint8_t* data() const { return bytes_; }

 private:
  std::size_t size_;
  std::size_t mapped_ = 0;          // the whole mapping, reservations included
  std::uint8_t* mapping_ = nullptr;
  std::size_t slack_ = 0;           // poisoned bytes between the first page and the frame
  std::uint8_t* bytes_ = nullptr;   // never null, also for an empty frame
  ChannelInfo channel_{};
  FrameInfo info_{};
};

}  // namespace kestrimo::fuzzing
