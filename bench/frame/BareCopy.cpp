#include "bench/frame/BareCopy.h"

#include <cstring>

namespace kestrimo::bench {

void BareCopy::Prepare(const PackedFrame& frame, const Area& area) {
  area_ = area;
  rowBytes_ = static_cast<long>(area.width) * frame.BytesPerPixel();
  buffer_.assign(static_cast<std::size_t>(rowBytes_) * area.height, 0);
}

void BareCopy::Run(PackedFrame& frame) {
  const long offset = static_cast<long>(area_.x) * frame.BytesPerPixel();
  std::uint8_t* buffer = buffer_.data();
  for (int y = 0; y < area_.height; ++y)
    std::memcpy(buffer + y * rowBytes_, frame.Row(area_.y + y) + offset, rowBytes_);
  // Keeps the compiler from treating the round trip as a no-op.
  asm volatile("" : : "r"(buffer) : "memory");
  for (int y = 0; y < area_.height; ++y)
    std::memcpy(frame.Row(area_.y + y) + offset, buffer + y * rowBytes_, rowBytes_);
}

}  // namespace kestrimo::bench
