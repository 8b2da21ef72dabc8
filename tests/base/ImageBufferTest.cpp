#include "base/ImageBuffer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "base/AlignedMemory.h"

namespace kestrimo {
namespace {

bool Aligned(const void* p) { return reinterpret_cast<std::uintptr_t>(p) % 16 == 0; }

void ExpectEmpty(const ImageBuffer& buffer) {
  EXPECT_EQ(buffer.pixels, nullptr);
  EXPECT_EQ(buffer.allocWidth, 0);
  EXPECT_EQ(buffer.allocHeight, 0);
  EXPECT_EQ(buffer.rect, Rect{});
}

TEST(ImageBufferResize, GrowsWithSlackAndReusesWithinIt) {
  ImageBuffer buffer;
  ExpectEmpty(buffer);
  buffer.Resize(100, 70, 25, 25);
  ASSERT_NE(buffer.pixels, nullptr);
  EXPECT_TRUE(Aligned(buffer.pixels));
  EXPECT_EQ(buffer.allocWidth, 125);
  EXPECT_EQ(buffer.allocHeight, 88);
  EXPECT_EQ(buffer.rect, (Rect{0, 0, 100, 70}));
  buffer.pixels[125 * 88 - 1] = 7;  // the whole allocation is usable

  std::uint32_t* const block = buffer.pixels;
  buffer.Resize(80, 60, 25, 25);
  EXPECT_EQ(buffer.pixels, block);
  EXPECT_EQ(buffer.allocWidth, 125);
  EXPECT_EQ(buffer.rect, (Rect{0, 0, 80, 60}));

  buffer.Resize(60, 60, 25, 25);  // 60 < 75 columns: both sides recomputed
  EXPECT_EQ(buffer.allocWidth, 75);
  EXPECT_EQ(buffer.allocHeight, 75);
  EXPECT_TRUE(Aligned(buffer.pixels));
}

TEST(ImageBufferResize, ZeroNegativeAndAbsurdSizesLeaveItEmpty) {
  ImageBuffer buffer;
  buffer.Resize(0, 0, 25, 25);
  ExpectEmpty(buffer);
  buffer.Resize(50, 50, 25, 25);
  buffer.Resize(-1, 50, 25, 25);
  ExpectEmpty(buffer);
  buffer.Resize(50, 50, 25, 25);
  buffer.Resize(100000, 100000, 25, 25);
  ExpectEmpty(buffer);
  buffer.Resize(INT32_MAX, 1, 25, 25);
  ExpectEmpty(buffer);
  buffer.Resize(50, 0, 25, 25);
  ExpectEmpty(buffer);
  buffer.Resize(8, 8, 25, 25);  // usable again afterwards
  EXPECT_NE(buffer.pixels, nullptr);
}

TEST(ImageBufferFill, EmptyBufferAndEmptyAreasDoNothing) {
  ImageBuffer empty;
  empty.Resize(0, 0, 25, 25);
  empty.FillAll(0x123456);
  empty.FillArea(Rect{0, 0, 4, 4}, 0x123456);
  ExpectEmpty(empty);

  ImageBuffer buffer;
  buffer.Resize(4, 4, 0, 0);
  std::memset(buffer.pixels, 0, 16 * 4);
  buffer.FillArea(Rect{2, 0, 2, 4}, 0xFFFFFF);  // right == left
  buffer.FillArea(Rect{0, 3, 4, 1}, 0xFFFFFF);  // bottom < top
  for (int i = 0; i < 16; ++i) EXPECT_EQ(buffer.pixels[i], 0u) << i;
}

TEST(ImageBufferFill, FillAllWritesBgrAndOpaqueAlpha) {
  ImageBuffer buffer;
  buffer.Resize(3, 2, 0, 0);
  buffer.FillAll(0x00FF8000);
  const auto* bytes = reinterpret_cast<const unsigned char*>(buffer.pixels);
  for (int i = 0; i < 6; ++i) {
    EXPECT_EQ(bytes[4 * i + 0], 0xFF) << i;  // B
    EXPECT_EQ(bytes[4 * i + 1], 0x80) << i;  // G
    EXPECT_EQ(bytes[4 * i + 2], 0x00) << i;  // R
    EXPECT_EQ(bytes[4 * i + 3], 0xFF) << i;  // A
  }
}

TEST(ImageBufferFill, AreaIsAddressedBottomUp) {
  ImageBuffer buffer;
  buffer.Resize(3, 3, 0, 0);
  std::memset(buffer.pixels, 0, 9 * 4);
  // Picture rows 0 and 1, columns 1..2: memory rows 2 and 1.
  buffer.FillAreaAlpha(Rect{1, 0, 3, 2}, 0x40, 0x00030201);
  const std::uint32_t v = 0x40010203;  // A, R, G, B
  const std::uint32_t want[9] = {0, 0, 0, 0, v, v, 0, v, v};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(buffer.pixels[i], want[i]) << i;
}

TEST(ImageBufferFill, AreaOutsideTheAllocationIsRefused) {
  ImageBuffer buffer;
  buffer.Resize(4, 4, 0, 0);
  std::memset(buffer.pixels, 0, 16 * 4);
  buffer.FillArea(Rect{-1, 0, 2, 2}, 0xFFFFFF);
  buffer.FillArea(Rect{0, 0, 5, 1}, 0xFFFFFF);
  buffer.FillArea(Rect{0, 3, 1, 5}, 0xFFFFFF);
  for (int i = 0; i < 16; ++i) EXPECT_EQ(buffer.pixels[i], 0u) << i;
}

// A destination whose block sits inside a larger guarded one, so that any
// write before or after the block shows.
class GuardedDestination : public ::testing::Test {
 protected:
  static constexpr std::uint32_t kGuard = 0xDEADBEEF;
  static constexpr int kBorder = 16;

  void Make(std::int32_t w, std::int32_t h) {
    storage.assign(static_cast<std::size_t>(w * h + 2 * kBorder), kGuard);
    dst.pixels = storage.data() + kBorder;
    dst.allocWidth = w;
    dst.allocHeight = h;
    dst.rect = Rect{0, 0, w, h};
  }
  ~GuardedDestination() override { dst.pixels = nullptr; }

  // Destination picture pixel (x, y), read from raw memory.
  std::uint32_t At(std::int32_t x, std::int32_t y) const {
    return storage[kBorder + x + dst.allocWidth * (dst.allocHeight - 1 - y)];
  }
  void ExpectGuardsIntact() const {
    for (int i = 0; i < kBorder; ++i) {
      EXPECT_EQ(storage[i], kGuard) << "before the block, " << i;
      EXPECT_EQ(storage[storage.size() - 1 - i], kGuard) << "after the block, " << i;
    }
  }

  std::vector<std::uint32_t> storage;
  ImageBuffer dst;
};

// A w x h source whose memory holds its own index.
std::vector<std::uint32_t> IndexedSource(std::int32_t w, std::int32_t h) {
  std::vector<std::uint32_t> src(static_cast<std::size_t>(w * h));
  for (std::size_t i = 0; i < src.size(); ++i) src[i] = static_cast<std::uint32_t>(i);
  return src;
}

TEST_F(GuardedDestination, CopyKeepsPictureRowsInBottomUpMemory) {
  Make(3, 2);
  const auto src = IndexedSource(3, 2);
  dst.CopyFrom(src.data(), 3, 2, Rect{0, 0, 3, 1});
  // Picture row 0 is the last memory row on both sides.
  EXPECT_EQ(storage[kBorder + 3], 3u);
  EXPECT_EQ(storage[kBorder + 5], 5u);
  EXPECT_EQ(storage[kBorder + 0], kGuard);
  ExpectGuardsIntact();
}

TEST_F(GuardedDestination, CopyClippedAtTheSourceMovesTheTarget) {
  Make(8, 6);
  const auto src = IndexedSource(5, 4);
  dst.CopyFrom(src.data(), 5, 4, Rect{-2, -1, 3, 3});  // 2 columns, 1 row cut
  for (std::int32_t y = 0; y < 6; ++y) {
    for (std::int32_t x = 0; x < 8; ++x) {
      const bool inside = x >= 2 && x < 5 && y >= 1 && y < 4;
      const std::uint32_t want = inside ? static_cast<std::uint32_t>((x - 2) + 5 * (3 - (y - 1)))
                                        : kGuard;
      EXPECT_EQ(At(x, y), want) << x << "," << y;
    }
  }
  ExpectGuardsIntact();
}

TEST_F(GuardedDestination, CopyClippedAtTheTargetShrinksTheSource) {
  Make(4, 3);
  const auto src = IndexedSource(10, 8);
  dst.CopyFrom(src.data(), 10, 8, Rect{1, 2, 9, 8});
  for (std::int32_t y = 0; y < 3; ++y)
    for (std::int32_t x = 0; x < 4; ++x)
      EXPECT_EQ(At(x, y), static_cast<std::uint32_t>((x + 1) + 10 * (7 - (y + 2))))
          << x << "," << y;
  ExpectGuardsIntact();
}

TEST_F(GuardedDestination, CopyOfNothingWritesNothing) {
  Make(4, 3);
  const auto src = IndexedSource(5, 4);
  dst.CopyFrom(src.data(), 5, 4, Rect{5, 0, 8, 2});      // beyond the source
  dst.CopyFrom(src.data(), 5, 4, Rect{1, 1, 1, 3});      // empty
  dst.CopyFrom(nullptr, 5, 4, Rect{0, 0, 2, 2});         // no source
  dst.CopyFrom(src.data(), 5, 4, Rect{INT32_MIN, 0, INT32_MAX, 2});  // absurd
  for (std::int32_t y = 0; y < 3; ++y)
    for (std::int32_t x = 0; x < 4; ++x) EXPECT_EQ(At(x, y), kGuard);
  ExpectGuardsIntact();
}

TEST(ImageBufferCopy, IntoAnEmptyBufferDoesNothing) {
  ImageBuffer buffer;
  const auto src = IndexedSource(4, 4);
  buffer.CopyFrom(src.data(), 4, 4, Rect{0, 0, 4, 4});
  ExpectEmpty(buffer);
}

}  // namespace
}  // namespace kestrimo
