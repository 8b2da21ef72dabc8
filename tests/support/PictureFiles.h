// Small encoders for the picture formats the plug-in reads (BMP, PNG without
// compression, GIF with LZW), and a temporary folder to put the
// files in, so that the loading tests make every picture they use.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace kestrimo::testing {

struct Rgba {
  std::uint8_t r = 0;
  std::uint8_t g = 0;
  std::uint8_t b = 0;
  std::uint8_t a = 255;
  friend bool operator==(const Rgba&, const Rgba&) = default;
};

// width x height pixels, top row first.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<Rgba> pixels;

  Picture(int w, int h) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h) {}
  Rgba& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * width + x]; }
  const Rgba& At(int x, int y) const { return pixels[static_cast<std::size_t>(y) * width + x]; }
};

// A picture whose pixels differ from their neighbours, drawn from `colours`
// distinct colours (at most 256) chosen by seed.
Picture PatternPicture(int width, int height, int seed, int colours = 256);

// Windows bitmap, bottom-up, 24 or 32 bits per pixel (the fourth byte of a
// 32-bit pixel is the picture's alpha).
std::string EncodeBmp(const Picture& picture, int bitsPerPixel);
// PNG, 8-bit RGB or RGBA, the image data in stored (uncompressed) deflate
// blocks.
std::string EncodePng(const Picture& picture, bool withAlpha);

// One GIF image placed at (left, top) of the logical screen, written
// `repeat` times in a row.
struct GifFrame {
  int left = 0;
  int top = 0;
  Picture picture;
  int repeat = 1;
};
// GIF89a with one global 256-colour table built from the frames' colours
// (at most 256 in all), every frame kept on screen (no disposal, no
// transparency), image data LZW-coded with a clear code whenever the table
// is full.
std::string EncodeGif(int screenWidth, int screenHeight, const std::vector<GifFrame>& frames);

// A fresh folder under the system's temporary folder, removed with its content.
class PictureFolder {
 public:
  PictureFolder();
  ~PictureFolder();
  PictureFolder(const PictureFolder&) = delete;
  PictureFolder& operator=(const PictureFolder&) = delete;

  // Writes bytes to the file `name` (ANSI bytes) in the folder; returns the
  // file's full name.
  std::string Write(const std::string& name, const std::string& bytes) const;
  std::string PathOf(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

}  // namespace kestrimo::testing
