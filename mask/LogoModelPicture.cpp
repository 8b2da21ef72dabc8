#include "mask/LogoModelPicture.h"

#include <algorithm>
#include <cstdio>
#include <new>

namespace kestrimo {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::uint32_t kUncompressed = 0;
constexpr std::uint32_t kBitFields = 3;
constexpr std::uint32_t kMasks[4] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u};
constexpr std::size_t kMaxFileBytes =
    kFileHeaderBytes + 124 + 16 + 4 * static_cast<std::size_t>(LogoModelPicture::kMaxPixels);

std::uint32_t Le32(std::string_view b, std::size_t at) {
  return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8 |
         static_cast<std::uint8_t>(b[at + 2]) << 16 |
         static_cast<std::uint32_t>(static_cast<std::uint8_t>(b[at + 3])) << 24;
}
std::uint32_t Le16(std::string_view b, std::size_t at) {
  return static_cast<std::uint8_t>(b[at]) | static_cast<std::uint8_t>(b[at + 1]) << 8;
}

// The red, green, blue and alpha masks are the standard ones: in the info
// header from 40 bytes on (version 4 and 5 headers), or just after a
// 40-byte header.
bool StandardMasks(std::string_view bytes, std::size_t infoSize) {
  const std::size_t at = kFileHeaderBytes + 40;
  const std::size_t count = infoSize >= 56 ? 4 : 3;
  if (bytes.size() < at + 4 * count) return false;
  for (std::size_t i = 0; i < count; ++i)
    if (Le32(bytes, at + 4 * i) != kMasks[i]) return false;
  return true;
}

bool Decode(std::string_view bytes, LogoModelPicture& picture) {
  if (bytes.size() < kFileHeaderBytes + 40 || bytes[0] != 'B' || bytes[1] != 'M') return false;
  const std::uint32_t dataAt = Le32(bytes, 10);
  const std::uint32_t infoSize = Le32(bytes, 14);
  if (infoSize != 40 && infoSize != 108 && infoSize != 124) return false;
  const auto width = static_cast<std::int32_t>(Le32(bytes, 18));
  const auto rawHeight = static_cast<std::int32_t>(Le32(bytes, 22));
  if (Le16(bytes, 26) != 1 || Le16(bytes, 28) != 32) return false;
  const std::uint32_t compression = Le32(bytes, 30);
  if (compression == kBitFields) {
    if (!StandardMasks(bytes, infoSize)) return false;
  } else if (compression != kUncompressed) {
    return false;
  }
  const bool topDown = rawHeight < 0;
  const std::int64_t height = topDown ? -std::int64_t{rawHeight} : rawHeight;
  if (width < 1 || height < 1 || width > LogoModelPicture::kMaxSide ||
      height > LogoModelPicture::kMaxSide || width * height > LogoModelPicture::kMaxPixels)
    return false;
  const std::size_t rowBytes = 4 * static_cast<std::size_t>(width);
  // The pixels begin after the headers and, after a 40-byte header, the masks.
  const std::size_t headerEnd =
      kFileHeaderBytes + (compression == kBitFields && infoSize == 40 ? 40 + 12 : infoSize);
  if (dataAt < headerEnd || dataAt > bytes.size() ||
      bytes.size() - dataAt < rowBytes * static_cast<std::size_t>(height))
    return false;
  picture.width = width;
  picture.height = static_cast<std::int32_t>(height);
  picture.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
  for (std::int32_t y = 0; y < picture.height; ++y) {
    const std::size_t fileRow = topDown ? y : picture.height - 1 - y;
    const std::size_t at = dataAt + fileRow * rowBytes;
    for (std::int32_t x = 0; x < width; ++x)
      picture.pixels[static_cast<std::size_t>(y) * width + x] = Le32(bytes, at + 4 * x);
  }
  return true;
}

// The whole file, up to the largest size a picture within the limits needs.
bool ReadFile(const std::string& fileName, std::string& bytes) {
  std::string path = fileName;
  std::replace(path.begin(), path.end(), '\\', '/');  // both targets' runtimes take slashes
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return false;
  char chunk[65536];
  bool ok = true;
  while (ok) {
    const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
    if (got == 0) {
      ok = std::ferror(file) == 0;
      break;
    }
    bytes.append(chunk, got);
    ok = bytes.size() <= kMaxFileBytes;
  }
  std::fclose(file);
  return ok;
}

}  // namespace

bool DecodeModelBitmap(std::string_view bytes, LogoModelPicture& picture) {
  picture = LogoModelPicture();
  try {
    if (Decode(bytes, picture)) return true;
  } catch (const std::bad_alloc&) {
  }
  picture = LogoModelPicture();
  return false;
}

bool LoadModelPicture(const std::string& fileName, LogoModelPicture& picture, bool* outOfMemory) {
  picture = LogoModelPicture();
  if (outOfMemory != nullptr) *outOfMemory = false;
  if (fileName.empty()) return false;
  try {
    std::string bytes;
    if (ReadFile(fileName, bytes) && Decode(bytes, picture)) return true;
  } catch (const std::bad_alloc&) {
    if (outOfMemory != nullptr) *outOfMemory = true;
  }
  picture = LogoModelPicture();
  return false;
}

}  // namespace kestrimo
