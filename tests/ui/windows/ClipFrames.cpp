#include "tests/ui/windows/ClipFrames.h"

#include <cstdlib>
#include <cstring>

namespace kestrimo::testing {
namespace {

constexpr char kFrameLine[] = "FRAME\n";
constexpr long kFrameLineBytes = sizeof kFrameLine - 1;

int HeaderNumber(const std::string& header, const char* key) {
  const std::size_t at = header.find(key);
  return at == std::string::npos ? 0 : std::atoi(header.c_str() + at + std::strlen(key));
}

}  // namespace

ClipFrames::ClipFrames(const std::string& path) : file_(std::fopen(path.c_str(), "rb")) {
  if (file_ == nullptr) return;
  std::string header;
  for (int c = std::fgetc(file_); c != EOF && c != '\n'; c = std::fgetc(file_))
    header.push_back(static_cast<char>(c));
  width_ = HeaderNumber(header, " W");
  height_ = HeaderNumber(header, " H");
  if (header.rfind("YUV4MPEG2", 0) != 0 || header.find(" C422") == std::string::npos ||
      width_ < 2 || height_ < 1)
    return;
  first_ = std::ftell(file_);
  planar_.resize(static_cast<std::size_t>(width_) * height_ * 2);
  std::fseek(file_, 0, SEEK_END);
  count_ = static_cast<int>((std::ftell(file_) - first_) /
                            static_cast<long>(kFrameLineBytes + planar_.size()));
}

ClipFrames::~ClipFrames() {
  if (file_ != nullptr) std::fclose(file_);
}

bool ClipFrames::Read(int index, std::uint8_t* yuy2) {
  if (!Open()) return false;
  const long offset = first_ + (index % count_) * static_cast<long>(kFrameLineBytes + planar_.size());
  if (std::fseek(file_, offset + kFrameLineBytes, SEEK_SET) != 0 ||
      std::fread(planar_.data(), 1, planar_.size(), file_) != planar_.size())
    return false;
  const std::size_t pixels = static_cast<std::size_t>(width_) * height_;
  const std::uint8_t* y = planar_.data();
  const std::uint8_t* u = y + pixels;
  const std::uint8_t* v = u + pixels / 2;
  for (std::size_t pair = 0; pair < pixels / 2; ++pair) {
    yuy2[4 * pair] = y[2 * pair];
    yuy2[4 * pair + 1] = u[pair];
    yuy2[4 * pair + 2] = y[2 * pair + 1];
    yuy2[4 * pair + 3] = v[pair];
  }
  return true;
}

std::string LogoClipsFolder() {
  const char* folder = std::getenv("KESTRIMO_LOGO_CLIPS");
  if (folder == nullptr || *folder == '\0') return {};
  std::string path = folder;
  if (path[0] == '/') path = "Z:" + path;  // Wine shows the Linux root as drive Z:
  for (char& c : path)
    if (c == '/') c = '\\';
  if (path.back() != '\\') path += '\\';
  return path;
}

}  // namespace kestrimo::testing
