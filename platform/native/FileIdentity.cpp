#include "platform/FileIdentity.h"

#include <sys/stat.h>

namespace kestrimo {
namespace {

std::optional<FileIdentity> IdentityOf(const struct stat& info) {
  if (!S_ISREG(info.st_mode) && !S_ISBLK(info.st_mode)) return std::nullopt;
  return FileIdentity{static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

}  // namespace

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) return std::nullopt;
  return IdentityOf(info);
}

std::optional<FileIdentity> IdentityOfStream(std::FILE* stream) {
  struct stat info {};
  if (fstat(fileno(stream), &info) != 0) return std::nullopt;
  return IdentityOf(info);
}

}  // namespace kestrimo
