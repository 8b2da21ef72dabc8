#include "tools/kestrimo-host/LogoBitmapFile.h"

#include <cstddef>

#include "tools/kestrimo-host/StreamFiles.h"

namespace kestrimo {
namespace {

constexpr std::size_t kFileHeaderBytes = 14;
constexpr std::size_t kInfoHeaderBytes = 40;

void Put16(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  out[at] = static_cast<std::uint8_t>(v);
  out[at + 1] = static_cast<std::uint8_t>(v >> 8);
}

void Put32(std::vector<std::uint8_t>& out, std::size_t at, std::uint32_t v) {
  Put16(out, at, v & 0xFFFF);
  Put16(out, at + 2, v >> 16);
}

}  // namespace

std::vector<std::uint8_t> EncodeLogoBitmap(const LogoPicture& picture, std::uint32_t key) {
  if (picture.width < 1 || picture.height < 1) return {};
  const std::size_t rowBytes = (3 * static_cast<std::size_t>(picture.width) + 3) & ~std::size_t{3};
  const std::size_t offset = kFileHeaderBytes + kInfoHeaderBytes;
  const std::size_t total = offset + rowBytes * static_cast<std::size_t>(picture.height);
  std::vector<std::uint8_t> file(total, 0);
  file[0] = 'B';
  file[1] = 'M';
  Put32(file, 2, static_cast<std::uint32_t>(total));
  Put32(file, 10, static_cast<std::uint32_t>(offset));
  Put32(file, 14, static_cast<std::uint32_t>(kInfoHeaderBytes));
  Put32(file, 18, static_cast<std::uint32_t>(picture.width));
  Put32(file, 22, static_cast<std::uint32_t>(picture.height));  // positive: bottom-up
  Put16(file, 26, 1);   // planes
  Put16(file, 28, 24);  // bits per pixel; compression 0 (none)
  Put32(file, 34, static_cast<std::uint32_t>(rowBytes * static_cast<std::size_t>(picture.height)));
  Put32(file, 38, 2835);  // 72 dots per inch
  Put32(file, 42, 2835);
  const std::uint32_t kept = ~key & 0xFFFFFFu;
  for (int y = 0; y < picture.height; ++y) {
    std::uint8_t* row = file.data() + offset + rowBytes * static_cast<std::size_t>(picture.height - 1 - y);
    for (int x = 0; x < picture.width; ++x) {
      const std::uint32_t colour = picture.Keyed(x, y) ? key : kept;  // 0x00BBGGRR
      row[3 * x] = static_cast<std::uint8_t>(colour >> 16);     // B
      row[3 * x + 1] = static_cast<std::uint8_t>(colour >> 8);  // G
      row[3 * x + 2] = static_cast<std::uint8_t>(colour);       // R
    }
  }
  return file;
}

std::string WriteLogoBitmap(const std::string& path, const LogoPicture& picture,
                            std::uint32_t key) {
  const std::vector<std::uint8_t> bytes = EncodeLogoBitmap(picture, key);
  OutputFile file;
  if (bytes.empty()) return "no mask picture to write";
  if (!file.Open(path) || !file.Write(bytes.data(), bytes.size()) || !file.Close()) {
    return file.Error().empty() ? "cannot write " + path : file.Error();
  }
  return {};
}

}  // namespace kestrimo
