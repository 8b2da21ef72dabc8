// Whether an overlay is a clock: beside it (or in it), edges that hold
// still between changes, and change all at once at regular times, as the
// seconds of a clock do. A clock's hours and minutes stay still for a
// minute and look like any logo; its seconds give it away. Scenery that a
// passing object hides changes where the object is, not all at once, and
// a cut changes the whole picture, not at regular times.
#pragma once

#include <cstdint>

#include "base/Rect.h"

namespace kestrimo {

class ClockDigits {
 public:
  // An edge: a luma step of at least this many levels across two pixels.
  static constexpr int kEdgeLevel = 24;
  // A digit's pixel shows an edge in some of the samples, not all or none,
  // and keeps it from one sample to the next in most of them.
  static constexpr double kMinEdgeShare = 0.15;
  static constexpr double kMaxEdgeShare = 0.9;
  static constexpr double kMaxChangeShare = 0.35;
  // At least this many such pixels, and of their changes at least this
  // share at the times most of them change.
  static constexpr std::int64_t kMinDigitPixels = 20;
  static constexpr double kMinTogetherShare = 0.6;
  // At least this many such times, spaced alike to within a sample; one
  // more out of step is a cut while the clock was watched.
  static constexpr int kMinTicks = 3;

  // The frame pixels to look at for an overlay's `box`: its rows, from one
  // box height left of it to one box height right of it, and a pixel more
  // on every side for the gradients; clipped to the frame.
  static Rect Area(const Rect& box, std::int32_t width, std::int32_t height);

  // `samples` holds `count` luma pictures of an Area, `width` x `height`
  // each, one after the other, taken at equal spacing.
  static bool Ticking(const std::uint8_t* samples, std::int32_t count, std::int32_t width,
                      std::int32_t height);
};

}  // namespace kestrimo
