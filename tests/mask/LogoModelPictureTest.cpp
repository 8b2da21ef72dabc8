// The model file's reader: what the encoder writes comes back pixel for
// pixel, and a hostile or damaged file gives an empty picture.
#include "mask/LogoModelPicture.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "detect/MaskBitmap.h"

namespace kestrimo {
namespace {

LogoModelPicture Sample(std::int32_t width, std::int32_t height) {
  LogoModelPicture picture;
  picture.width = width;
  picture.height = height;
  for (std::int32_t i = 0; i < width * height; ++i)
    picture.pixels.push_back(0x01000000u * (i % 256) + 0x00010203u * (i % 61));
  return picture;
}

void Put32(std::string& file, std::size_t at, std::uint32_t value) {
  for (int i = 0; i < 4; ++i) file[at + i] = static_cast<char>(value >> (8 * i));
}

TEST(LogoModelPictureTest, WhatTheEncoderWritesComesBack) {
  for (const auto& [w, h] : {std::pair{1, 1}, {7, 3}, {61, 40}}) {
    const LogoModelPicture written = Sample(w, h);
    LogoModelPicture read;
    ASSERT_TRUE(DecodeModelBitmap(EncodeModelBitmap(written), read)) << w << "x" << h;
    EXPECT_EQ(read.width, w);
    EXPECT_EQ(read.height, h);
    EXPECT_EQ(read.pixels, written.pixels);
  }
}

// A top-down file (negative height) and the plain 40-byte header with the
// alpha in the fourth byte are read too.
TEST(LogoModelPictureTest, ReadsTopDownRowsAndThePlainHeader) {
  const LogoModelPicture written = Sample(5, 4);
  std::string file = EncodeModelBitmap(written);
  Put32(file, 22, static_cast<std::uint32_t>(-4));
  LogoModelPicture read;
  ASSERT_TRUE(DecodeModelBitmap(file, read));
  EXPECT_EQ(read.At(2, 0), written.At(2, 3));
  file = EncodeModelBitmap(written);
  Put32(file, 14, 40);
  Put32(file, 30, 0);
  ASSERT_TRUE(DecodeModelBitmap(file, read));
  EXPECT_EQ(read.pixels, written.pixels);
}

TEST(LogoModelPictureTest, RefusesDamagedAndHostileFiles) {
  const std::string good = EncodeModelBitmap(Sample(9, 5));
  const struct {
    const char* what;
    std::function<void(std::string&)> damage;
  } cases[] = {
      {"empty", [](std::string& f) { f.clear(); }},
      {"header cut", [](std::string& f) { f.resize(40); }},
      {"pixels cut", [](std::string& f) { f.pop_back(); }},
      {"not a bitmap", [](std::string& f) { f[0] = 'P'; }},
      {"24 bits", [](std::string& f) { f[28] = 24; }},
      {"run-length", [](std::string& f) { Put32(f, 30, 1); }},
      {"other masks", [](std::string& f) { Put32(f, 54, 0x0000FF00u); }},
      {"width 0", [](std::string& f) { Put32(f, 18, 0); }},
      {"negative width", [](std::string& f) { Put32(f, 18, static_cast<std::uint32_t>(-9)); }},
      {"absurd width", [](std::string& f) { Put32(f, 18, 1u << 30); }},
      {"lowest height", [](std::string& f) { Put32(f, 22, static_cast<std::uint32_t>(INT_MIN)); }},
      {"too many pixels", [](std::string& f) { Put32(f, 18, 4096); Put32(f, 22, 4096); }},
      {"data beyond the end", [](std::string& f) { Put32(f, 10, 1u << 31); }},
      {"data inside the header", [](std::string& f) { Put32(f, 10, 20); }},
      {"data inside the 108-byte header", [](std::string& f) { Put32(f, 10, 14 + 104); }},
      {"data inside a 124-byte header", [](std::string& f) { Put32(f, 14, 124); }},
      {"data inside a 40-byte header",
       [](std::string& f) { Put32(f, 14, 40); Put32(f, 30, 0); Put32(f, 10, 14 + 36); }},
      {"data over the masks after a 40-byte header",
       [](std::string& f) { Put32(f, 14, 40); Put32(f, 10, 14 + 40); }},
      {"odd header size", [](std::string& f) { Put32(f, 14, 64); }},
  };
  for (const auto& c : cases) {
    std::string file = good;
    c.damage(file);
    LogoModelPicture read = Sample(2, 2);
    EXPECT_FALSE(DecodeModelBitmap(file, read)) << c.what;
    EXPECT_TRUE(read.Empty() && read.pixels.empty()) << c.what;
  }
}

TEST(LogoModelPictureTest, AMissingFileLoadsNothing) {
  LogoModelPicture read = Sample(2, 2);
  EXPECT_FALSE(LoadModelPicture("/nonexistent/folder/model.bmp", read));
  EXPECT_TRUE(read.Empty());
  EXPECT_FALSE(LoadModelPicture("", read));
}

}  // namespace
}  // namespace kestrimo
