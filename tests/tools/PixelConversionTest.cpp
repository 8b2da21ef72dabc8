#include "tools/kestrimo-host/stream/PixelConversion.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace kestrimo {
namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr std::size_t kGuard = 16;
constexpr std::uint8_t kGuardByte = 0xA5;

Bytes RandomBytes(std::size_t count, std::mt19937& random) {
  Bytes bytes(count);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

// A block with guard bytes on both sides; Data() points past the front guard.
struct Guarded {
  explicit Guarded(std::size_t size) : bytes(size + 2 * kGuard, kGuardByte), size(size) {}
  std::uint8_t* Data() { return bytes.data() + kGuard; }
  Bytes Inner() const { return Bytes(bytes.begin() + kGuard, bytes.end() - kGuard); }
  bool GuardsIntact() const {
    for (std::size_t i = 0; i < kGuard; ++i) {
      if (bytes[i] != kGuardByte || bytes[bytes.size() - 1 - i] != kGuardByte) return false;
    }
    return true;
  }
  Bytes bytes;
  std::size_t size;
};

TEST(PlanarYuy2, PacksEachPairAsY0UY1V) {
  // 4x2: two pairs per row.
  Bytes block = {1, 2, 3, 4, 5, 6, 7, 8,  // Y
                 10, 11, 12, 13,          // U
                 20, 21, 22, 23};         // V
  Bytes packed(16);
  PlanarToYuy2(SplitPlanes(block.data(), 4, 2), 4, 2, packed.data());
  EXPECT_EQ(packed, (Bytes{1, 10, 2, 20, 3, 11, 4, 21, 5, 12, 6, 22, 7, 13, 8, 23}));
}

TEST(PlanarYuy2, RoundTripIsExactForManySizesWithoutTouchingNeighbours) {
  std::mt19937 random(1234);
  for (int width : {2, 4, 6, 30, 64, 720}) {
    for (int height : {1, 2, 3, 17}) {
      const std::size_t bytes = 2 * static_cast<std::size_t>(width) * height;
      const Bytes source = RandomBytes(bytes, random);
      Bytes planar = source;
      Guarded packed(bytes);
      PlanarToYuy2(SplitPlanes(planar.data(), width, height), width, height, packed.Data());
      Guarded back(bytes);
      Yuy2ToPlanar(packed.Data(), width, height, SplitPlanes(back.Data(), width, height));
      EXPECT_EQ(planar, source) << "input changed, " << width << "x" << height;
      EXPECT_EQ(back.Inner(), source) << width << "x" << height;
      EXPECT_TRUE(packed.GuardsIntact()) << width << "x" << height;
      EXPECT_TRUE(back.GuardsIntact()) << width << "x" << height;
    }
  }
}

TEST(FlipRows, ReversesRowOrderAndTwiceRestoresTheFrame) {
  std::mt19937 random(99);
  for (std::size_t rowBytes : {std::size_t{3}, std::size_t{21}, std::size_t{2160}}) {
    for (int rows : {1, 2, 5, 576}) {
      const Bytes source = RandomBytes(rowBytes * rows, random);
      Guarded flipped(source.size());
      FlipRows(source.data(), rowBytes, rows, flipped.Data());
      ASSERT_TRUE(flipped.GuardsIntact());
      const Bytes inner = flipped.Inner();
      EXPECT_TRUE(std::equal(source.begin(), source.begin() + rowBytes,
                             inner.end() - rowBytes))
          << "first row must land last, " << rowBytes << "x" << rows;
      Guarded back(source.size());
      FlipRows(flipped.Data(), rowBytes, rows, back.Data());
      EXPECT_EQ(back.Inner(), source);
      EXPECT_TRUE(back.GuardsIntact());
    }
  }
}

}  // namespace
}  // namespace kestrimo
