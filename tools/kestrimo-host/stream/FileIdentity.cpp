#include "tools/kestrimo-host/stream/FileIdentity.h"

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace kestrimo {

#if defined(_WIN32)
namespace {

// The volume serial number and file index; disk files only.
std::optional<FileIdentity> IdentityOfHandle(HANDLE handle) {
  if (handle == INVALID_HANDLE_VALUE || GetFileType(handle) != FILE_TYPE_DISK) return std::nullopt;
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber,
                      (static_cast<std::uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow};
}

}  // namespace

std::optional<FileIdentity> IdentityOfPath(const std::string& path) {
  // No access asked: only the file's facts are read, whoever holds it open.
  HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return std::nullopt;
  const std::optional<FileIdentity> identity = IdentityOfHandle(handle);
  CloseHandle(handle);
  return identity;
}

std::optional<FileIdentity> IdentityOfStream(std::FILE* stream) {
  return IdentityOfHandle(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream))));
}

#else
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

#endif

}  // namespace kestrimo
