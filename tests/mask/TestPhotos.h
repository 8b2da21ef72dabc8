// Photographs from Debian's archive (python3-skimage's data, opencv-doc's
// examples) as planes of key samples, sampled bilinearly in integers, for
// the tests that move a virtual camera over a real picture.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "mask/DibImage.h"

namespace kestrimo {

// "name.png" from skimage's data, "opencv/name.png" from opencv-doc's.
inline std::string PhotoPath(const std::string& name) {
  const bool opencv = name.find('/') == std::string::npos ? false : true;
  const std::string file = opencv ? name.substr(name.find('/') + 1) : name;
  const std::string folder = opencv ? "/usr/share/doc/opencv-doc/examples/data/"
                                    : "/usr/lib/python3/dist-packages/skimage/data/";
#if defined(_WIN32)
  std::string path = "Z:" + folder + file;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path;
#else
  return folder + file;
#endif
}

// A photograph's key samples: luma (BT.601, studio range) or green.
struct Photo {
  std::int32_t width = 0, height = 0;
  std::vector<std::uint8_t> luma, green;
  bool Load(const std::string& name) {
    DibImage image;
    if (!image.LoadFromFile(PhotoPath(name))) return false;
    width = image.rect.Width();
    height = image.rect.Height();
    for (std::int32_t y = 0; y < height; ++y) {
      for (std::int32_t x = 0; x < width; ++x) {
        const std::uint32_t c = image.GetPixelColor(x, y);
        const std::int32_t r = c & 0xFF, g = (c >> 8) & 0xFF, b = (c >> 16) & 0xFF;
        luma.push_back(static_cast<std::uint8_t>(((66 * r + 129 * g + 25 * b + 128) >> 8) + 16));
        green.push_back(static_cast<std::uint8_t>(g));
      }
    }
    return true;
  }
  // Bilinear at (x, y) in 1/256 pixel, clamped to the picture.
  std::uint8_t At(const std::vector<std::uint8_t>& plane, std::int64_t x, std::int64_t y) const {
    x = std::clamp<std::int64_t>(x, 0, 256 * (width - 1) - 1);
    y = std::clamp<std::int64_t>(y, 0, 256 * (height - 1) - 1);
    const std::int64_t x0 = x >> 8, y0 = y >> 8, fx = x & 255, fy = y & 255;
    const std::uint8_t* p = plane.data() + y0 * width + x0;
    const std::int64_t top = p[0] * (256 - fx) + p[1] * fx;
    const std::int64_t bottom = p[width] * (256 - fx) + p[width + 1] * fx;
    return static_cast<std::uint8_t>((top * (256 - fy) + bottom * fy + 32768) >> 16);
  }
};

}  // namespace kestrimo
