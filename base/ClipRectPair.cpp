#include "base/ClipRectPair.h"

#include <cstdint>

namespace kestrimo {
namespace {

// One axis of both rectangles. The arithmetic is done in 64 bits, so that
// extreme coordinates cannot overflow while edges are carried over.
struct Span {
  std::int64_t low;
  std::int64_t high;
};

// Clips `clipped` to [0, limit) and moves `other` by the same cuts; false when
// nothing of `clipped` lies inside.
bool ClipSpan(Span& clipped, std::int64_t limit, Span& other) {
  if (clipped.low >= clipped.high || clipped.low >= limit || clipped.high <= 0) return false;
  if (clipped.low < 0) {
    other.low -= clipped.low;
    clipped.low = 0;
  }
  if (clipped.high > limit) {
    other.high += limit - clipped.high;
    clipped.high = limit;
  }
  return true;
}

std::int32_t Saturate(std::int64_t value) {
  if (value > INT32_MAX) return INT32_MAX;
  if (value < INT32_MIN) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

}  // namespace

bool ClipRectPair(Rect& a, Size sizeA, Rect& b, Size sizeB) {
  Span ax{a.left, a.right}, ay{a.top, a.bottom};
  Span bx{b.left, b.right}, by{b.top, b.bottom};
  const bool ok = ClipSpan(ax, sizeA.width, bx) && ClipSpan(ay, sizeA.height, by) &&
                  ClipSpan(bx, sizeB.width, ax) && ClipSpan(by, sizeB.height, ay) &&
                  ax.low < ax.high && ay.low < ay.high;
  // On success every value lies within its image; after a failure the partly
  // clipped values are kept, pinned to the 32-bit range.
  a = Rect{Saturate(ax.low), Saturate(ay.low), Saturate(ax.high), Saturate(ay.high)};
  b = Rect{Saturate(bx.low), Saturate(by.low), Saturate(bx.high), Saturate(by.high)};
  return ok;
}

}  // namespace kestrimo
