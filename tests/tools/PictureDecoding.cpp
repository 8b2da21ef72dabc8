#include "tests/tools/PictureDecoding.h"

// Static, so that the product's own copy of the decoder does not clash.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#include <stb_image.h>

namespace kestrimo::testing {

DecodedPicture DecodePicture(const std::vector<std::uint8_t>& file) {
  DecodedPicture picture;
  int channels = 0;
  stbi_uc* pixels = stbi_load_from_memory(file.data(), static_cast<int>(file.size()), &picture.width,
                                          &picture.height, &channels, 3);
  if (pixels == nullptr) return {};
  picture.rgb.assign(pixels, pixels + 3 * static_cast<std::size_t>(picture.width) * picture.height);
  stbi_image_free(pixels);
  return picture;
}

}  // namespace kestrimo::testing
