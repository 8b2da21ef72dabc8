#include "tools/kestrimo-host/hosting/PluginVersion.h"

#include <cstdio>
#include <cstring>
#include <vector>

namespace kestrimo {
namespace {

constexpr std::uint32_t kSignature = 0xFEEF04BDu;
constexpr std::uint32_t kStructureVersion = 0x00010000u;
constexpr std::size_t kRecordWords = 4;  // signature, structure version, file version MS, LS
// A plug-in library is a few megabytes; a bigger file is not read whole.
constexpr long kMaxLibraryBytes = 256L * 1024 * 1024;

std::uint32_t WordAt(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}

std::string VersionText(std::uint32_t high, std::uint32_t low) {
  std::string text = std::to_string(high >> 16) + "." + std::to_string(high & 0xFFFF) + "." +
                     std::to_string(low >> 16);
  if ((low & 0xFFFF) != 0) text += "." + std::to_string(low & 0xFFFF);
  return text;
}

}  // namespace

std::string FindVersionRecord(const std::uint8_t* bytes, std::size_t size) {
  for (std::size_t at = 0; at + kRecordWords * 4 <= size; ++at) {
    if (WordAt(bytes + at) == kSignature && WordAt(bytes + at + 4) == kStructureVersion) {
      return VersionText(WordAt(bytes + at + 8), WordAt(bytes + at + 12));
    }
  }
  return {};
}

std::string PluginFileVersion(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return {};
  std::vector<std::uint8_t> bytes;
  std::uint8_t block[65536];
  for (std::size_t got; (got = std::fread(block, 1, sizeof block, file)) > 0;) {
    bytes.insert(bytes.end(), block, block + got);
    if (static_cast<long>(bytes.size()) > kMaxLibraryBytes) break;
  }
  std::fclose(file);
  return FindVersionRecord(bytes.data(), bytes.size());
}

}  // namespace kestrimo
