#include "tools/kestrimo-host/pictures/PictureFiles.h"

#include "tools/kestrimo-host/stream/StreamFiles.h"

// The encoders of the tool's pictures; files are written through OutputFile.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#define STBI_WRITE_NO_STDIO
#include <stb_image_write.h>

namespace kestrimo {
namespace {

void Append(void* context, void* data, int size) {
  auto* out = static_cast<std::vector<std::uint8_t>*>(context);
  const auto* bytes = static_cast<const std::uint8_t*>(data);
  out->insert(out->end(), bytes, bytes + size);
}

bool HasPixels(const RgbView& image) {
  return image.pixels != nullptr && image.width > 0 && image.height > 0;
}

}  // namespace

std::vector<std::uint8_t> EncodePng(const RgbView& image) {
  std::vector<std::uint8_t> file;
  if (!HasPixels(image)) return file;
  if (!stbi_write_png_to_func(Append, &file, image.width, image.height, image.channels, image.pixels,
                              static_cast<int>(image.stride))) {
    file.clear();
  }
  return file;
}

std::vector<std::uint8_t> EncodeBmp(const RgbView& image) {
  std::vector<std::uint8_t> file;
  if (!HasPixels(image)) return file;
  if (!stbi_write_bmp_to_func(Append, &file, image.width, image.height, 3, image.pixels)) {
    file.clear();
  }
  return file;
}

std::string WritePictureFile(const std::string& path, const std::vector<std::uint8_t>& bytes,
                             const std::string& failure) {
  OutputFile file;
  if (!file.Open(path) || !file.Write(bytes.data(), bytes.size()) || !file.Close()) {
    return file.Error().empty() ? failure : file.Error();
  }
  return {};
}

}  // namespace kestrimo
