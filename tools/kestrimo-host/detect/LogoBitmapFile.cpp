#include "tools/kestrimo-host/detect/LogoBitmapFile.h"

#include <cstddef>

#include "tools/kestrimo-host/pictures/PictureFiles.h"

namespace kestrimo {
namespace {

void PutRgb(std::uint8_t* pixel, std::uint32_t colour) {  // colour 0x00BBGGRR
  pixel[0] = static_cast<std::uint8_t>(colour);        // R
  pixel[1] = static_cast<std::uint8_t>(colour >> 8);   // G
  pixel[2] = static_cast<std::uint8_t>(colour >> 16);  // B
}

}  // namespace

std::vector<std::uint8_t> EncodeLogoBitmap(const LogoPicture& picture, std::uint32_t key) {
  if (picture.width < 1 || picture.height < 1) return {};
  const std::size_t stride = 3 * static_cast<std::size_t>(picture.width);
  std::vector<std::uint8_t> rgb(stride * static_cast<std::size_t>(picture.height));
  const std::uint32_t kept = ~key & 0xFFFFFFu;
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      PutRgb(rgb.data() + stride * static_cast<std::size_t>(y) + 3 * static_cast<std::size_t>(x),
             picture.Keyed(x, y) ? key : kept);
    }
  }
  return EncodeBmp({rgb.data(), picture.width, picture.height, stride});
}

std::string WriteLogoBitmap(const std::string& path, const LogoPicture& picture,
                            std::uint32_t key) {
  const std::vector<std::uint8_t> bytes = EncodeLogoBitmap(picture, key);
  if (bytes.empty()) return "no mask picture to write";
  return WritePictureFile(path, bytes, "cannot write " + path);
}

}  // namespace kestrimo
