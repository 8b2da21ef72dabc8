// The floor of any in-place logo remover: the area's bytes copied out of the
// frame into a buffer and back, one memcpy per row each way.
#pragma once

#include <cstdint>
#include <vector>

#include "bench/frame/Frames.h"
#include "bench/frame/LogoArea.h"

namespace kestrimo::bench {

class BareCopy {
 public:
  void Prepare(const PackedFrame& frame, const Area& area);
  void Run(PackedFrame& frame);

 private:
  Area area_;
  long rowBytes_ = 0;
  std::vector<std::uint8_t> buffer_;
};

}  // namespace kestrimo::bench
