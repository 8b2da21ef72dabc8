#include "base/ClipRectPair.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace kestrimo {
namespace {

// A: source rectangle in a 10 x 8 image; B: same-sized target in a 6 x 5 image.
constexpr Size kSizeA{10, 8};
constexpr Size kSizeB{6, 5};

struct Case {
  Rect a, b;
  bool ok;
  Rect wantA, wantB;
};

void Check(const Case& c) {
  Rect a = c.a, b = c.b;
  EXPECT_EQ(ClipRectPair(a, kSizeA, b, kSizeB), c.ok);
  if (c.ok) {
    EXPECT_EQ(a, c.wantA);
    EXPECT_EQ(b, c.wantB);
    EXPECT_EQ(a.Width(), b.Width());
    EXPECT_EQ(a.Height(), b.Height());
  }
}

TEST(ClipRectPair, InsideBothIsUnchanged) {
  Check({{2, 1, 5, 4}, {0, 0, 3, 3}, true, {2, 1, 5, 4}, {0, 0, 3, 3}});
}

TEST(ClipRectPair, CutsOfACarryOverToB) {
  Check({{-2, 1, 3, 3}, {0, 0, 5, 2}, true, {0, 1, 3, 3}, {2, 0, 5, 2}});    // left
  Check({{1, -3, 3, 2}, {0, 0, 2, 5}, true, {1, 0, 3, 2}, {0, 3, 2, 5}});    // top
  Check({{8, 0, 12, 2}, {1, 1, 5, 3}, true, {8, 0, 10, 2}, {1, 1, 3, 3}});   // right
  Check({{0, 6, 2, 10}, {2, 0, 4, 4}, true, {0, 6, 2, 8}, {2, 0, 4, 2}});    // bottom
}

TEST(ClipRectPair, CutsOfBCarryOverToA) {
  Check({{3, 2, 6, 4}, {-1, 0, 2, 2}, true, {4, 2, 6, 4}, {0, 0, 2, 2}});    // left
  Check({{3, 2, 5, 6}, {0, -2, 2, 2}, true, {3, 4, 5, 6}, {0, 0, 2, 2}});    // top
  Check({{0, 0, 5, 2}, {3, 0, 8, 2}, true, {0, 0, 3, 2}, {3, 0, 6, 2}});     // right
  Check({{0, 0, 2, 5}, {0, 2, 2, 7}, true, {0, 0, 2, 3}, {0, 2, 2, 5}});     // bottom
}

TEST(ClipRectPair, CutsOnBothSidesCombine) {
  // A loses a column on the left, then B loses two columns on the right.
  Check({{-1, 0, 8, 1}, {0, 0, 9, 1}, true, {0, 0, 5, 1}, {1, 0, 6, 1}});
}

TEST(ClipRectPair, NothingLeftFails) {
  Check({{10, 0, 12, 2}, {0, 0, 2, 2}, false, {}, {}});   // right of A
  Check({{-3, 0, 0, 2}, {0, 0, 3, 2}, false, {}, {}});    // left of A
  Check({{0, 8, 2, 9}, {0, 0, 2, 1}, false, {}, {}});     // below A
  Check({{0, 0, 2, 2}, {6, 0, 8, 2}, false, {}, {}});     // right of B
  Check({{0, 0, 2, 2}, {0, -2, 2, 0}, false, {}, {}});    // above B
  Check({{3, 3, 3, 5}, {0, 0, 0, 2}, false, {}, {}});     // empty input
  Check({{3, 5, 5, 3}, {0, 2, 2, 0}, false, {}, {}});     // inverted input
  // A's left cut pushes B past its right edge.
  Check({{-7, 0, 2, 1}, {0, 0, 9, 1}, false, {}, {}});
}

TEST(ClipRectPair, EmptyOrNegativeImageFails) {
  Rect a{0, 0, 2, 2}, b{0, 0, 2, 2};
  EXPECT_FALSE(ClipRectPair(a, Size{0, 0}, b, kSizeB));
  a = b = Rect{0, 0, 2, 2};
  EXPECT_FALSE(ClipRectPair(a, kSizeA, b, Size{-4, 5}));
}

TEST(ClipRectPair, ExtremeCoordinatesDoNotOverflow) {
  Rect a{INT32_MIN, 0, 3, 1};
  Rect b{INT32_MAX - 5, 0, INT32_MAX, 1};  // the other edge of a huge copy
  EXPECT_FALSE(ClipRectPair(a, kSizeA, b, kSizeB));
  a = Rect{INT32_MIN + 1, 0, 3, 1};
  b = Rect{0, 0, INT32_MAX, 1};
  EXPECT_FALSE(ClipRectPair(a, kSizeA, b, kSizeB));  // B would start beyond its image
}

}  // namespace
}  // namespace kestrimo
