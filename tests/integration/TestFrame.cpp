#include "tests/integration/TestFrame.h"

namespace kestrimo::testing {
namespace {

constexpr std::uint8_t kLogo = 250;

// Per byte kind: base value and a 6-bit texture from x and y, so the
// background stays well below the logo's brightness.
struct Texture {
  int base;
  int mx;
  int my;
};
// YUY2: Y, then U (even x) or V (odd x). BGR24: B, G, R.
constexpr Texture kYuy2[3] = {{60, 7, 13}, {104, 1, 3}, {132, 3, 1}};
constexpr Texture kBgr[3] = {{30, 5, 3}, {50, 3, 7}, {70, 1, 11}};

}  // namespace

TestFrame::TestFrame(FrameFormat format, std::int32_t width, std::int32_t height)
    : format_(format), width_(width), height_(height),
      bytes_(static_cast<std::size_t>(width) * height * (format == FrameFormat::Yuy2 ? 2 : 3)) {}

std::size_t TestFrame::Offset(std::int32_t x, std::int32_t y) const {
  const std::int32_t row = format_ == FrameFormat::Yuy2 ? y : height_ - 1 - y;
  return (static_cast<std::size_t>(row) * width_ + x) * BytesPerPixel();
}

std::uint8_t TestFrame::Background(std::int32_t x, std::int32_t y, int byte) const {
  const Texture t = format_ == FrameFormat::Yuy2 ? kYuy2[byte == 0 ? 0 : 1 + (x & 1)] : kBgr[byte];
  return static_cast<std::uint8_t>(t.base + ((x * t.mx + y * t.my) & 15) * 4);
}

std::uint8_t TestFrame::BackgroundMin(std::int32_t x, int byte) const {
  const Texture t = format_ == FrameFormat::Yuy2 ? kYuy2[byte == 0 ? 0 : 1 + (x & 1)] : kBgr[byte];
  return static_cast<std::uint8_t>(t.base);
}

std::uint8_t TestFrame::BackgroundMax(std::int32_t x, int byte) const {
  return static_cast<std::uint8_t>(BackgroundMin(x, byte) + 60);
}

void TestFrame::Paint(const std::vector<Rect>& logos) {
  for (std::int32_t y = 0; y < height_; ++y)
    for (std::int32_t x = 0; x < width_; ++x) {
      bool logo = false;
      for (const Rect& r : logos) logo = logo || (x >= r.left && x < r.right && y >= r.top && y < r.bottom);
      const std::size_t at = Offset(x, y);
      for (int b = 0; b < BytesPerPixel(); ++b) {
        // A white logo: full luma, neutral chroma in YUY2.
        const std::uint8_t value = format_ == FrameFormat::Yuy2 && b == 1 ? 128 : kLogo;
        bytes_[at + b] = logo ? value : Background(x, y, b);
      }
    }
}

std::uint64_t Fnv1a64(const std::vector<std::uint8_t>& bytes) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (std::uint8_t b : bytes) {
    hash ^= b;
    hash *= 0x100000001B3ull;
  }
  return hash;
}

}  // namespace kestrimo::testing
