#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "mask/DibImage.h"
#include "platform/PictureDecoder.h"
#include "tests/support/KernelTesting.h"
#include "tests/support/PictureFiles.h"

namespace kestrimo {
namespace {

using testing::EncodeBmp;
using testing::EncodeGif;
using testing::EncodePng;
using testing::GifFrame;
using testing::Picture;
using testing::PatternPicture;

// The colour GetPixelColor reports for an opaque picture pixel.
std::uint32_t Opaque(const testing::Rgba& p) {
  return 0xFF000000u | (std::uint32_t{p.b} << 16) | (std::uint32_t{p.g} << 8) | p.r;
}

// Selects frame `index` and compares its size and every pixel with the picture.
void ExpectFrame(DibImage& image, int index, const Picture& want) {
  SCOPED_TRACE("frame " + std::to_string(index));
  image.SelectFrame(index);
  ASSERT_EQ(image.selected, index);
  ASSERT_NE(image.pixels, nullptr);
  EXPECT_EQ(image.rect, (Rect{0, 0, want.width, want.height}));
  EXPECT_EQ(image.allocWidth, want.width);
  EXPECT_EQ(image.allocHeight, want.height);
  int wrong = 0;
  for (int y = 0; y < want.height; ++y)
    for (int x = 0; x < want.width; ++x)
      if (image.GetPixelColor(x, y) != Opaque(want.At(x, y)) && ++wrong <= 3)
        ADD_FAILURE() << "pixel (" << x << ", " << y << ") reads " << std::hex
                      << image.GetPixelColor(x, y) << ", wants " << Opaque(want.At(x, y));
  EXPECT_EQ(wrong, 0);
}

void ExpectAllOpaque(DibImage& image) {
  for (int i = 0; i < image.FrameCount(); ++i) {
    image.SelectFrame(i);
    for (int y = 0; y < image.rect.bottom; ++y)
      for (int x = 0; x < image.rect.right; ++x)
        ASSERT_EQ(image.GetPixelColor(x, y) >> 24, 0xFFu) << i << ": " << x << ", " << y;
  }
}

void ExpectEmpty(const DibImage& image) {
  EXPECT_EQ(image.FrameCount(), 0);
  EXPECT_EQ(image.bitmap, nullptr);
  EXPECT_EQ(image.header, nullptr);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.allocWidth, 0);
  EXPECT_EQ(image.allocHeight, 0);
  EXPECT_EQ(image.rect, Rect{});
  EXPECT_EQ(image.selected, 0);
}

class PictureLoading : public ::testing::Test {
 protected:
  void TearDown() override { ForcePictureFallbackForTesting(false); }

  // Three full-screen 5 x 4 frames of different colours.
  std::vector<Picture> AnimationFrames() const {
    return {PatternPicture(5, 4, 1, 16), PatternPicture(5, 4, 2, 16), PatternPicture(5, 4, 3, 16)};
  }
  std::string Animation() const {
    std::vector<GifFrame> frames;
    for (const Picture& p : AnimationFrames()) frames.push_back({0, 0, p});
    return EncodeGif(5, 4, frames);
  }

  testing::PictureFolder folder;
  DibImage image;
};

// Single-frame formats: exact colours, exact size, one frame selected.

TEST_F(PictureLoading, BitmapsOfBothDepthsDecodeExactlyAndOpaque) {
  Picture picture = PatternPicture(5, 3, 7);  // odd width: padded rows
  for (int i = 0; i < 15; ++i) picture.pixels[i].a = static_cast<std::uint8_t>(i * 17);
  for (int bits : {24, 32}) {
    SCOPED_TRACE(bits);
    ASSERT_TRUE(image.LoadFromFile(folder.Write("mask.bmp", EncodeBmp(picture, bits))));
    ASSERT_EQ(image.FrameCount(), 1);
    EXPECT_EQ(image.selected, 0);
    ExpectFrame(image, 0, picture);
  }
}

// The bitmap loader cannot read PNG, so on Windows this proves the imaging
// library did the work.
TEST_F(PictureLoading, PngDecodesExactly) {
  const Picture picture = PatternPicture(7, 6, 3);
  ASSERT_TRUE(image.LoadFromFile(folder.Write("mask.png", EncodePng(picture, false))));
  ASSERT_EQ(image.FrameCount(), 1);
  ExpectFrame(image, 0, picture);
}

TEST_F(PictureLoading, TransparentPixelsComeOutOpaque) {
  Picture picture = PatternPicture(6, 5, 4);
  for (std::size_t i = 0; i < picture.pixels.size(); ++i)
    picture.pixels[i].a = static_cast<std::uint8_t>(i % 3 == 0 ? 0 : 128);
  ASSERT_TRUE(image.LoadFromFile(folder.Write("alpha.png", EncodePng(picture, true))));
  EXPECT_EQ(image.rect, (Rect{0, 0, 6, 5}));
  ExpectAllOpaque(image);
}

TEST_F(PictureLoading, OnePixelPictureIsOneFrameOfOnePixel) {
  Picture picture(1, 1);
  picture.At(0, 0) = {0x33, 0x22, 0x11, 255};
  ASSERT_TRUE(image.LoadFromFile(folder.Write("dot.png", EncodePng(picture, false))));
  ASSERT_EQ(image.FrameCount(), 1);
  EXPECT_EQ(image.rect, (Rect{0, 0, 1, 1}));
  EXPECT_EQ(image.GetPixelColor(0, 0), 0xFF112233u);
}

TEST_F(PictureLoading, NameWithoutExtensionIsOneFrame) {
  const Picture picture = PatternPicture(4, 4, 5);
  ASSERT_TRUE(image.LoadFromFile(folder.Write("mask", EncodePng(picture, false))));
  ASSERT_EQ(image.FrameCount(), 1);
  ExpectFrame(image, 0, picture);
}

TEST_F(PictureLoading, AnsiNameIsConvertedForTheDecoder) {
  const Picture picture = PatternPicture(4, 4, 6);
  // "маска" in the Cyrillic ANSI code page the Windows tests run with.
  const std::string name = "\xEC\xE0\xF1\xEA\xE0.png";
  std::string fileName;
  try {
    fileName = folder.Write(name, EncodePng(picture, false));
  } catch (const std::exception&) {
    GTEST_SKIP() << "the file system here cannot hold non-ASCII names";
  }
  ASSERT_TRUE(image.LoadFromFile(fileName));
  ExpectFrame(image, 0, picture);
}

TEST_F(PictureLoading, SideLimitIsInclusive) {
  ASSERT_TRUE(image.LoadFromFile(
      folder.Write("wide.png", EncodePng(PatternPicture(kMaxPictureSide, 1, 1), false))));
  EXPECT_EQ(image.rect, (Rect{0, 0, kMaxPictureSide, 1}));
  EXPECT_FALSE(image.LoadFromFile(
      folder.Write("wider.png", EncodePng(PatternPicture(kMaxPictureSide + 1, 1, 1), false))));
  ExpectEmpty(image);
}

// Frames: only names ending in "gif" count them.

TEST_F(PictureLoading, GifNameInAnyCaseDecodesEveryFrame) {
  const std::vector<Picture> want = AnimationFrames();
  for (const char* name : {"anim.gif", "ANIM.GIF", "anim.GiF", "animgif"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(image.LoadFromFile(folder.Write(name, Animation())));
    ASSERT_EQ(image.FrameCount(), 3);
    EXPECT_EQ(image.selected, 0);
    EXPECT_EQ(image.GetPixelColor(0, 0), Opaque(want[0].At(0, 0)));
    for (int i = 0; i < 3; ++i) ExpectFrame(image, i, want[static_cast<std::size_t>(i)]);
  }
}

TEST_F(PictureLoading, GifUnderOtherNamesIsOneFrame) {
  const Picture first = AnimationFrames()[0];
  for (const char* name : {"anim.dat", "anim", "anim.gi"}) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(image.LoadFromFile(folder.Write(name, Animation())));
    ASSERT_EQ(image.FrameCount(), 1);
    ExpectFrame(image, 0, first);
  }
}

TEST_F(PictureLoading, StillGifIsOneFrame) {
  const Picture picture = PatternPicture(3, 2, 9, 6);
  ASSERT_TRUE(image.LoadFromFile(folder.Write("still.gif", EncodeGif(3, 2, {{0, 0, picture}}))));
  ASSERT_EQ(image.FrameCount(), 1);
  ExpectFrame(image, 0, picture);
}

// Frames that together exceed the pixel limit are refused before any is made.
TEST_F(PictureLoading, FramesBeyondThePixelLimitTogetherAreRefused) {
  Picture plain(4096, 4096);
  for (testing::Rgba& p : plain.pixels) p = {10, 20, 30, 255};
  // 5 x 16 Mi pixels: each frame alone is allowed, all of them are not.
  const std::string gif = EncodeGif(4096, 4096, {{0, 0, plain, 5}});
  EXPECT_FALSE(image.LoadFromFile(folder.Write("many.gif", gif)));
  ExpectEmpty(image);
  // The same file read as one frame is within the limit (and well formed).
  ASSERT_TRUE(image.LoadFromFile(folder.Write("many.dat", gif)));
  EXPECT_EQ(image.rect, (Rect{0, 0, 4096, 4096}));
  EXPECT_EQ(image.GetPixelColor(4095, 4095), 0xFF1E140Au);
}

// Replacement: a load never keeps frames of the one before.

TEST_F(PictureLoading, SecondLoadReplacesEveryFrame) {
  ASSERT_TRUE(image.LoadFromFile(folder.Write("anim.gif", Animation())));
  ASSERT_EQ(image.FrameCount(), 3);
  const Picture picture = PatternPicture(2, 3, 11);
  ASSERT_TRUE(image.LoadFromFile(folder.Write("next.bmp", EncodeBmp(picture, 24))));
  ASSERT_EQ(image.FrameCount(), 1);
  ExpectFrame(image, 0, picture);
}

TEST_F(PictureLoading, FailedSecondLoadLeavesNothing) {
  ASSERT_TRUE(image.LoadFromFile(folder.Write("anim.gif", Animation())));
  EXPECT_FALSE(image.LoadFromFile(folder.PathOf("missing.png")));
  ExpectEmpty(image);
  ASSERT_TRUE(image.LoadFromFile(folder.Write("anim.gif", Animation())));
  EXPECT_FALSE(image.LoadFromFile(""));
  ExpectEmpty(image);
}

// Broken and hostile files fail cleanly.

std::string Truncated(const std::string& bytes, std::size_t keep) { return bytes.substr(0, keep); }

// A PNG whose header claims width x height, followed by a little image data.
std::string PngClaiming(std::uint32_t width, std::uint32_t height) {
  std::string png = EncodePng(PatternPicture(2, 2, 1), false);
  const unsigned char size[8] = {
      static_cast<unsigned char>(width >> 24),  static_cast<unsigned char>(width >> 16),
      static_cast<unsigned char>(width >> 8),   static_cast<unsigned char>(width),
      static_cast<unsigned char>(height >> 24), static_cast<unsigned char>(height >> 16),
      static_cast<unsigned char>(height >> 8),  static_cast<unsigned char>(height)};
  png.replace(16, 8, reinterpret_cast<const char*>(size), 8);  // the CRC no longer matches
  return png;
}

// A GIF whose screen and only image claim width x height, with the data of
// one pixel.
std::string GifClaiming(std::uint16_t width, std::uint16_t height) {
  std::string gif = EncodeGif(1, 1, {{0, 0, PatternPicture(1, 1, 1)}});
  const std::size_t image = 13 + 768 + 8 + 1 + 4;  // header, table, control, tag, position
  for (std::size_t at : {std::size_t{6}, image}) {
    gif[at] = static_cast<char>(width & 0xFF);
    gif[at + 1] = static_cast<char>(width >> 8);
    gif[at + 2] = static_cast<char>(height & 0xFF);
    gif[at + 3] = static_cast<char>(height >> 8);
  }
  return gif;
}

std::string BmpClaiming(std::int32_t width, std::int32_t height) {
  std::string bmp = EncodeBmp(PatternPicture(2, 2, 1), 24);
  for (int i = 0; i < 4; ++i) {
    bmp[static_cast<std::size_t>(18 + i)] = static_cast<char>(width >> (8 * i));
    bmp[static_cast<std::size_t>(22 + i)] = static_cast<char>(height >> (8 * i));
  }
  return bmp;
}

// A bitmap whose header names another encoding.
std::string WithCompression(std::string bmp, std::uint32_t code) {
  for (int i = 0; i < 4; ++i) bmp[30 + i] = static_cast<char>(code >> (8 * i));
  return bmp;
}

TEST_F(PictureLoading, BrokenFilesFailWithNoFrames) {
  const Picture picture = PatternPicture(16, 16, 2, 64);
  const std::string png = EncodePng(picture, false);
  const std::string bmp = EncodeBmp(picture, 24);
  const std::string gif = EncodeGif(16, 16, {{0, 0, picture}, {0, 0, PatternPicture(16, 16, 3, 64)}});
  testing::TestRng rng;
  std::string garbage(1000, '\0');
  for (char& c : garbage) c = static_cast<char>(rng.Byte());
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"half.png", Truncated(png, png.size() / 2)},
      {"header.png", Truncated(png, 40)},
      {"half.bmp", Truncated(bmp, bmp.size() / 2)},
      {"header.bmp", Truncated(bmp, 54)},
      {"half.gif", Truncated(gif, gif.size() / 2)},
      {"header.gif", Truncated(gif, 13 + 768)},
      {"empty.png", ""},
      {"empty.gif", ""},
      {"huge.png", PngClaiming(100000, 100000)},
      {"huge.bmp", BmpClaiming(100000, 100000)},
      {"negative.bmp", BmpClaiming(-5, 4)},
      {"huge.gif", GifClaiming(65535, 65535)},
      {"garbage.png", garbage},
      {"garbage.bmp", "BM" + garbage},
      {"garbage.gif", "GIF89a" + garbage},
      {"garbage.jpg", "\xFF\xD8\xFF" + garbage},
      {"unknown-encoding.bmp", Truncated(WithCompression(bmp, 0xA53C2FA0u), 54)},
      // A Huffman table listing 512 codes, twice the most a table can hold.
      {"codes.jpg", std::string("\xFF\xD8\xFF\xC4\x00\x13\x00", 7) + std::string(16, '\x20') +
                        "\xFF\xD9"},
  };
  for (const auto& [name, bytes] : cases) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(image.LoadFromFile(folder.Write("good.png", png)));
    EXPECT_FALSE(image.LoadFromFile(folder.Write(name, bytes)));
    ExpectEmpty(image);
  }
}

TEST_F(PictureLoading, NamesThatAreNoPictureFileFail) {
  EXPECT_FALSE(image.LoadFromFile(""));
  ExpectEmpty(image);
  EXPECT_FALSE(image.LoadFromFile(folder.PathOf("missing.bmp")));
  ExpectEmpty(image);
  folder.Write("file.png", EncodePng(PatternPicture(2, 2, 1), false));
  EXPECT_FALSE(image.LoadFromFile(folder.PathOf("")));  // the folder itself
  ExpectEmpty(image);
}

// Without the imaging library only Windows bitmaps load, as one frame.

TEST_F(PictureLoading, FallbackLoadsBitmapsOpaque) {
  ForcePictureFallbackForTesting(true);
  Picture picture = PatternPicture(5, 3, 6);
  for (testing::Rgba& p : picture.pixels) p.a = 0;
  for (int bits : {24, 32}) {
    SCOPED_TRACE(bits);
    ASSERT_TRUE(image.LoadFromFile(folder.Write("mask.bmp", EncodeBmp(picture, bits))));
    ASSERT_EQ(image.FrameCount(), 1);
    ExpectFrame(image, 0, picture);
  }
  // A bitmap under a GIF name is still one frame.
  ASSERT_TRUE(image.LoadFromFile(folder.Write("mask.gif", EncodeBmp(picture, 24))));
  EXPECT_EQ(image.FrameCount(), 1);
}

TEST_F(PictureLoading, FallbackRefusesOtherFormats) {
  ForcePictureFallbackForTesting(true);
  EXPECT_FALSE(image.LoadFromFile(folder.Write("mask.png", EncodePng(PatternPicture(3, 3, 1), false))));
  ExpectEmpty(image);
  EXPECT_FALSE(image.LoadFromFile(folder.Write("anim.gif", Animation())));
  ExpectEmpty(image);
  EXPECT_FALSE(image.LoadFromFile(folder.PathOf("missing.bmp")));
  ExpectEmpty(image);
}

}  // namespace
}  // namespace kestrimo
