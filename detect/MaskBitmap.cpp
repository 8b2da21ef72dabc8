#include "detect/MaskBitmap.h"

#include <cstddef>

namespace kestrimo {
namespace {

void PutLittle(std::string& out, std::size_t at, std::uint32_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out[at + i] = static_cast<char>(value >> (8 * i));
}

constexpr std::size_t kHeaderBytes = 14 + 40;

}  // namespace

std::string EncodeMaskBitmap(const LogoPicture& picture, std::uint32_t key) {
  if (picture.width < 1 || picture.height < 1) return {};
  const std::size_t stride = (3 * static_cast<std::size_t>(picture.width) + 3) & ~std::size_t{3};
  const std::size_t pixels = stride * static_cast<std::size_t>(picture.height);
  std::string file(kHeaderBytes + pixels, '\0');
  file[0] = 'B';
  file[1] = 'M';
  PutLittle(file, 2, static_cast<std::uint32_t>(file.size()), 4);
  PutLittle(file, 10, kHeaderBytes, 4);
  PutLittle(file, 14, 40, 4);
  PutLittle(file, 18, static_cast<std::uint32_t>(picture.width), 4);
  PutLittle(file, 22, static_cast<std::uint32_t>(picture.height), 4);
  PutLittle(file, 26, 1, 2);   // planes
  PutLittle(file, 28, 24, 2);  // bits per pixel
  PutLittle(file, 34, static_cast<std::uint32_t>(pixels), 4);
  const std::uint32_t kept = ~key & 0xFFFFFFu;
  for (int y = 0; y < picture.height; ++y) {
    const std::size_t row = kHeaderBytes + stride * static_cast<std::size_t>(picture.height - 1 - y);
    for (int x = 0; x < picture.width; ++x) {
      const std::uint32_t colour = picture.Keyed(x, y) ? key : kept;  // 0x00BBGGRR
      const std::size_t at = row + 3 * static_cast<std::size_t>(x);
      file[at] = static_cast<char>(colour >> 16);     // B
      file[at + 1] = static_cast<char>(colour >> 8);  // G
      file[at + 2] = static_cast<char>(colour);       // R
    }
  }
  return file;
}

std::string EncodeModelBitmap(const LogoModelPicture& picture) {
  if (picture.Empty()) return {};
  constexpr std::size_t kInfoBytes = 108;
  constexpr std::size_t kDataAt = 14 + kInfoBytes;
  const std::size_t pixels = 4 * static_cast<std::size_t>(picture.width) * picture.height;
  std::string file(kDataAt + pixels, '\0');
  file[0] = 'B';
  file[1] = 'M';
  PutLittle(file, 2, static_cast<std::uint32_t>(file.size()), 4);
  PutLittle(file, 10, kDataAt, 4);
  PutLittle(file, 14, kInfoBytes, 4);
  PutLittle(file, 18, static_cast<std::uint32_t>(picture.width), 4);
  PutLittle(file, 22, static_cast<std::uint32_t>(picture.height), 4);
  PutLittle(file, 26, 1, 2);   // planes
  PutLittle(file, 28, 32, 2);  // bits per pixel
  PutLittle(file, 30, 3, 4);   // bit fields
  PutLittle(file, 34, static_cast<std::uint32_t>(pixels), 4);
  const std::uint32_t masks[4] = {0x00FF0000u, 0x0000FF00u, 0x000000FFu, 0xFF000000u};
  for (int i = 0; i < 4; ++i) PutLittle(file, 54 + 4 * i, masks[i], 4);
  PutLittle(file, 70, 0x73524742u, 4);  // colour space: sRGB
  for (int y = 0; y < picture.height; ++y) {
    const std::size_t row = kDataAt + 4 * static_cast<std::size_t>(picture.width) * (picture.height - 1 - y);
    for (int x = 0; x < picture.width; ++x) PutLittle(file, row + 4 * x, picture.At(x, y), 4);
  }
  return file;
}

bool WriteFileReplacing(FileSystem& files, const std::string& path, const std::string& bytes) {
  const std::string temporary = path + ".tmp";
  if (files.WriteNewFile(temporary, bytes) && files.RenameReplacing(temporary, path)) return true;
  files.RemoveFile(temporary);
  return false;
}

}  // namespace kestrimo
