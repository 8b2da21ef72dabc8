#include "mask/DibImage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

namespace kestrimo {
namespace {

bool Aligned(const void* p) { return reinterpret_cast<std::uintptr_t>(p) % 16 == 0; }

void SetBytes(std::uint32_t* pixel, unsigned char b, unsigned char g, unsigned char r,
              unsigned char a) {
  const unsigned char bytes[4] = {b, g, r, a};
  std::memcpy(pixel, bytes, 4);
}

TEST(DibSection, CreatesAlignedWritableSurfaceAndReleasesIt) {
  DibHeader header;
  header.biSize = 40;
  header.biWidth = 7;
  header.biHeight = 5;
  header.biPlanes = 1;
  header.biBitCount = 32;
  DibSection surface;
  std::uint32_t* bits = surface.Create(header);
  ASSERT_NE(bits, nullptr);
  EXPECT_TRUE(Aligned(bits));
  EXPECT_NE(surface.Handle(), nullptr);
  bits[0] = 1;
  bits[7 * 5 - 1] = 2;
  surface.Release();
  EXPECT_EQ(surface.Handle(), nullptr);

  header.biBitCount = 24;
  EXPECT_EQ(surface.Create(header), nullptr);
  header.biBitCount = 32;
  header.biWidth = -7;
  EXPECT_EQ(surface.Create(header), nullptr);
  EXPECT_EQ(surface.Handle(), nullptr);
}

TEST(DibImageCreate, FirstCallAddsFrameZeroWithAHeader) {
  DibImage image;
  EXPECT_EQ(image.FrameCount(), 0);
  image.CreateDib(3, 1, 0, 0);
  ASSERT_EQ(image.FrameCount(), 1);
  EXPECT_EQ(image.selected, 0);
  ASSERT_NE(image.pixels, nullptr);
  EXPECT_TRUE(Aligned(image.pixels));
  EXPECT_EQ(image.allocWidth, 3);
  EXPECT_EQ(image.allocHeight, 1);
  EXPECT_EQ(image.rect, (Rect{0, 0, 3, 1}));
  ASSERT_NE(image.bitmap, nullptr);
  EXPECT_NE(image.bitmap->Handle(), nullptr);
  ASSERT_NE(image.header, nullptr);
  const unsigned char want[44] = {40, 0, 0, 0, 3, 0, 0, 0, 1, 0, 0, 0, 1, 0, 32, 0};
  EXPECT_EQ(std::memcmp(image.header, want, 44), 0);
}

TEST(DibImageCreate, SameSizeReusesAndANewSizeReplaces) {
  DibImage image;
  image.CreateDib(3, 1, 0, 0);
  std::uint32_t* const first = image.pixels;
  void* const handle = image.bitmap->Handle();
  image.CreateDib(3, 1, 0, 0);
  EXPECT_EQ(image.pixels, first);
  EXPECT_EQ(image.bitmap->Handle(), handle);
  image.CreateDib(4, 1, 0, 0);
  EXPECT_EQ(image.FrameCount(), 1);
  EXPECT_EQ(image.allocWidth, 4);
  EXPECT_EQ(image.header->biWidth, 4);
  ASSERT_NE(image.pixels, nullptr);
  image.pixels[3] = 0;  // the new block holds four pixels
}

TEST(DibImageCreate, NegativeAbsurdAndZeroSizesLeaveNoPixels) {
  DibImage image;
  image.CreateDib(5, 5, 0, 0);
  for (auto [w, h] : {std::pair{-1, 5}, {5, -1}, {100000, 100000}, {INT32_MAX, 1}, {0, 0}}) {
    image.CreateDib(w, h, 25, 25);
    EXPECT_EQ(image.pixels, nullptr) << w << "x" << h;
    EXPECT_EQ(image.allocWidth, 0);
    EXPECT_EQ(image.rect, Rect{});
    EXPECT_EQ(image.GetPixelColor(0, 0), 0u);
    image.CreateDib(5, 5, 0, 0);
    EXPECT_NE(image.pixels, nullptr);
  }
  EXPECT_EQ(image.FrameCount(), 1);
}

TEST(DibImagePixels, ColourHasRedLowAndAlphaOnTop) {
  DibImage image;
  image.CreateDib(2, 2, 0, 0);
  // Memory row 0 is picture row 1.
  SetBytes(&image.pixels[1], 0x11, 0x22, 0x33, 0x44);
  EXPECT_EQ(image.GetPixelColor(1, 1), 0x44112233u);
  EXPECT_EQ(image.GetPixelColor(2, 0), 0u);  // outside: no read
}

TEST(DibImageFrames, SelectingLoadsEachFramesFields) {
  DibImage image;
  image.CreateDib(2, 2, 0, 0);
  SetBytes(&image.pixels[0], 1, 2, 3, 4);
  ASSERT_TRUE(image.AddFrame());
  EXPECT_EQ(image.selected, 1);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.rect, Rect{});
  image.CreateDib(3, 1, 0, 0);
  SetBytes(&image.pixels[2], 5, 6, 7, 8);
  std::uint32_t* const second = image.pixels;

  image.SelectFrame(0);
  EXPECT_EQ(image.selected, 0);
  EXPECT_EQ(image.allocWidth, 2);
  EXPECT_EQ(image.GetPixelColor(0, 1), 0x04010203u);
  image.SelectFrame(1);
  EXPECT_EQ(image.pixels, second);
  EXPECT_EQ(image.rect, (Rect{0, 0, 3, 1}));
  EXPECT_EQ(image.GetPixelColor(2, 0), 0x08050607u);

  image.SelectFrame(2);   // beyond the list
  image.SelectFrame(-1);
  EXPECT_EQ(image.selected, 1);
  EXPECT_EQ(image.pixels, second);
}

TEST(DibImageFrames, SetAlphaAllTouchesOnlyPixelsInsideEachRect) {
  DibImage image;
  image.CreateDib(4, 4, 25, 25);  // 5 x 5 allocated
  ASSERT_EQ(image.allocWidth, 5);
  std::memset(image.pixels, 0x10, 25 * 4);
  image.AddFrame();
  image.CreateDib(3, 1, 0, 0);
  std::memset(image.pixels, 0x20, 3 * 4);
  image.AddFrame();  // a frame without pixels is skipped

  image.SetAlphaAll(0x80);
  image.SelectFrame(0);
  EXPECT_EQ(image.GetPixelColor(0, 0), 0x80101010u);
  EXPECT_EQ(image.GetPixelColor(3, 3), 0x80101010u);
  EXPECT_EQ(image.GetPixelColor(4, 0), 0x10101010u);  // right of the rect
  EXPECT_EQ(image.GetPixelColor(0, 4), 0x10101010u);  // below the rect
  image.SelectFrame(1);
  for (int x = 0; x < 3; ++x) EXPECT_EQ(image.GetPixelColor(x, 0), 0x80202020u);
}

TEST(DibImageFrames, ReleasedFrameIsNotRestoredBySelecting) {
  DibImage image;
  image.CreateDib(2, 2, 0, 0);
  image.AddFrame();
  image.SelectFrame(0);
  image.ReleaseDib();
  EXPECT_EQ(image.pixels, nullptr);
  image.SelectFrame(1);
  image.SelectFrame(0);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.allocWidth, 0);
  EXPECT_EQ(image.rect, Rect{});
  image.SetAlphaAll(0xFF);  // nothing left to touch
}

TEST(DibImageFrames, ClearFramesEmptiesTheList) {
  DibImage image;
  image.ClearFrames();  // empty list: nothing happens
  EXPECT_EQ(image.FrameCount(), 0);
  EXPECT_EQ(image.pixels, nullptr);

  image.CreateDib(2, 2, 0, 0);
  image.AddFrame();
  image.CreateDib(3, 3, 0, 0);
  image.ClearFrames();
  EXPECT_EQ(image.FrameCount(), 0);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.bitmap, nullptr);
  EXPECT_EQ(image.header, nullptr);
  EXPECT_EQ(image.allocWidth, 0);
  EXPECT_EQ(image.rect, Rect{});

  image.SelectFrame(0);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.bitmap, nullptr);
  EXPECT_EQ(image.selected, 0);

  image.CreateDib(2, 1, 0, 0);  // usable again
  EXPECT_EQ(image.FrameCount(), 1);
  EXPECT_NE(image.pixels, nullptr);
}

}  // namespace
}  // namespace kestrimo
