#include "tools/kestrimo-host/pictures/PictureFiles.h"

#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/tools/PictureDecoding.h"

namespace kestrimo {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes Random(std::size_t count, unsigned seed) {
  std::mt19937 random(seed);
  Bytes bytes(count);
  for (auto& b : bytes) b = static_cast<std::uint8_t>(random());
  return bytes;
}

struct Encoder {
  const char* name;
  Bytes (*encode)(const RgbView&);
  bool takesStride;  // the BMP writer takes packed rows only
};

const Encoder kEncoders[] = {{"PNG", EncodePng, true}, {"BMP", EncodeBmp, false}};

// Rows of `stride` bytes with padding after the pixels, which must not show.
void ExpectRoundTrip(const Encoder& encoder, int width, int height, std::size_t stride,
                     const Bytes& rows) {
  const testing::DecodedPicture back = testing::DecodePicture(encoder.encode({rows.data(), width, height, stride}));
  ASSERT_EQ(back.width, width) << encoder.name;
  ASSERT_EQ(back.height, height) << encoder.name;
  ASSERT_EQ(back.rgb.size(), 3u * width * height) << encoder.name;
  for (int y = 0; y < height; ++y) {
    ASSERT_EQ(0, std::memcmp(back.rgb.data() + 3 * width * y, rows.data() + stride * y, 3 * width))
        << encoder.name << " " << width << "x" << height << " row " << y;
  }
}

TEST(PictureFiles, DecodeToThePixelsWrittenWhateverTheShape) {
  struct Shape {
    int width, height;
  };
  // One pixel; two colours; widths whose BMP rows need each amount of padding;
  // smooth, repeated and noisy rows; a noisy picture of more than 1 MiB.
  const Shape shapes[] = {{1, 1}, {2, 1}, {3, 2}, {5, 3}, {37, 23}, {700, 700}};
  for (const Encoder& encoder : kEncoders) {
    for (const Shape& shape : shapes) {
      const std::size_t stride = 3 * shape.width + (encoder.takesStride ? 5 : 0);
      Bytes rows = Random(stride * shape.height, shape.width);
      for (int y = 1; y < shape.height; y += 3) {
        std::memcpy(&rows[y * stride], &rows[(y - 1) * stride], stride);
        for (int i = 0; i < 3 * shape.width; ++i) rows[(y - 1) * stride + i] = static_cast<std::uint8_t>(2 * i);
      }
      ExpectRoundTrip(encoder, shape.width, shape.height, stride, rows);
    }
  }
}

TEST(PictureFiles, BitmapsAreUncompressed24BitBottomUp) {
  // What the plug-in's picture loader takes: a positive height (bottom-up), 24 bits, BI_RGB.
  const Bytes pixels = {255, 0, 0, 0, 0, 255};  // red above blue, one column
  const Bytes bmp = EncodeBmp({pixels.data(), 1, 2, 3});
  ASSERT_EQ(bmp.size(), 54u + 2 * 4);
  EXPECT_EQ(std::string(bmp.begin(), bmp.begin() + 2), "BM");
  EXPECT_EQ(bmp[22], 2);   // height, positive
  EXPECT_EQ(bmp[28], 24);  // bits per pixel
  EXPECT_EQ(bmp[30], 0);   // no compression
  EXPECT_EQ(Bytes(bmp.begin() + 54, bmp.end()), (Bytes{255, 0, 0, 0, 0, 0, 255, 0}));  // BGR, bottom row first
}

TEST(PictureFiles, GiveNothingForAPictureWithoutPixels) {
  const Bytes pixel = {1, 2, 3};
  for (const Encoder& encoder : kEncoders) {
    EXPECT_TRUE(encoder.encode({pixel.data(), 0, 1, 3}).empty()) << encoder.name;
    EXPECT_TRUE(encoder.encode({pixel.data(), 1, 0, 3}).empty()) << encoder.name;
    EXPECT_TRUE(encoder.encode({nullptr, 1, 1, 3}).empty()) << encoder.name;
  }
}

}  // namespace
}  // namespace kestrimo
