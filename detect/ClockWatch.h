// Watches the overlays a search found for a clock's ticking seconds
// (ClockDigits) and leaves the clocks out of the search. The luma of each
// overlay's area is kept for a fixed number of frames, taken at equal
// spacing; the room for them is taken once, at Start, so adding a frame
// allocates nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/Rect.h"
#include "detect/LogoFinder.h"

namespace kestrimo {

class ClockWatch {
 public:
  // An overlay whose area is larger than this is no clock and not watched.
  static constexpr std::int64_t kMaxAreaPixels = std::int64_t{1} << 16;

  // Room for `samples` frames of every overlay of `search`, frames of
  // width x height. Throws std::bad_alloc.
  void Start(const LogoSearch& search, std::int32_t width, std::int32_t height,
             std::int32_t samples);
  // Takes one frame (FrameMode `mode`, rows `stride` bytes apart, BGR
  // bottom-up) while there is room.
  void Add(const std::uint8_t* frame, std::ptrdiff_t stride, std::int32_t mode);
  bool Full() const { return taken_ >= samples_; }

  // Leaves out of `search` the overlays that tick like a clock, and returns
  // their boxes. The next overlay left becomes the logo; with none left the
  // search found no logo. `search` is the one given to Start.
  std::vector<Rect> LeaveOutClocks(LogoSearch& search) const;

 private:
  std::int32_t height_ = 0;
  std::int32_t samples_ = 0, taken_ = 0;
  std::vector<Rect> areas_;  // per overlay; empty when not watched
  std::vector<std::vector<std::uint8_t>> luma_;
};

}  // namespace kestrimo
