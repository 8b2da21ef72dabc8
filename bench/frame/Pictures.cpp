#include "bench/frame/Pictures.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "bench/frame/AvFilterPeer.h"

#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

namespace kestrimo::bench {
namespace {

constexpr const char* kPhotographs[] = {"astronaut.png", "coffee.png", "chelsea.png",
                                        "motorcycle_left.png", "rocket.jpg"};
constexpr const char* kPatterns[] = {"testsrc2", "smptebars"};

double Sample(const RgbPicture& p, double x, double y, int channel) {
  x = std::clamp(x, 0.0, p.width - 1.0);
  y = std::clamp(y, 0.0, p.height - 1.0);
  const int x0 = static_cast<int>(x), y0 = static_cast<int>(y);
  const int x1 = std::min(x0 + 1, p.width - 1), y1 = std::min(y0 + 1, p.height - 1);
  const double fx = x - x0, fy = y - y0;
  auto at = [&](int sx, int sy) {
    return static_cast<double>(p.rgb[(static_cast<std::size_t>(sy) * p.width + sx) * 3 + channel]);
  };
  return (at(x0, y0) * (1 - fx) + at(x1, y0) * fx) * (1 - fy) +
         (at(x0, y1) * (1 - fx) + at(x1, y1) * fx) * fy;
}

}  // namespace

bool LoadPicture(const std::string& path, RgbPicture& picture, std::string& error) {
  int width = 0, height = 0, channels = 0;
  stbi_uc* pixels = stbi_load(path.c_str(), &width, &height, &channels, 3);
  if (pixels == nullptr) {
    error = path + ": " + (stbi_failure_reason() ? stbi_failure_reason() : "cannot decode");
    return false;
  }
  picture.width = width;
  picture.height = height;
  picture.rgb.assign(pixels, pixels + static_cast<std::size_t>(width) * height * 3);
  stbi_image_free(pixels);
  return true;
}

RgbPicture CoverAndCrop(const RgbPicture& source, int width, int height) {
  RgbPicture out{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3)};
  const double scale = std::max(static_cast<double>(width) / source.width,
                                static_cast<double>(height) / source.height);
  const double offsetX = (source.width * scale - width) / 2;
  const double offsetY = (source.height * scale - height) / 2;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const double sx = (x + offsetX + 0.5) / scale - 0.5, sy = (y + offsetY + 0.5) / scale - 0.5;
      for (int c = 0; c < 3; ++c) {
        out.rgb[(static_cast<std::size_t>(y) * width + x) * 3 + c] =
            static_cast<std::uint8_t>(std::lround(Sample(source, sx, sy, c)));
      }
    }
  }
  return out;
}

std::vector<NamedPicture> QualityPictures(const std::string& folder, int width, int height) {
  std::vector<NamedPicture> pictures;
  std::string error;
  for (const char* name : kPhotographs) {
    RgbPicture picture;
    if (!LoadPicture(folder + "/" + name, picture, error)) {
      std::fprintf(stderr, "skipping %s\n", error.c_str());
      continue;
    }
    const std::string stem = std::string(name).substr(0, std::string(name).rfind('.'));
    pictures.push_back({stem, CoverAndCrop(picture, width, height)});
  }
  for (const char* source : kPatterns) {
    RgbPicture picture;
    if (!GeneratePattern(source, width, height, picture, error)) {
      std::fprintf(stderr, "skipping %s\n", error.c_str());
      continue;
    }
    pictures.push_back({source, std::move(picture)});
  }
  return pictures;
}

}  // namespace kestrimo::bench
