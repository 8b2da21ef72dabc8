#include "tools/kestrimo-host/hosting/RunMarker.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#endif

namespace kestrimo {

std::string RunMarkerPathOf(const std::string& settingsPath) {
  return settingsPath + ".kestrimo-host-run";
}

#if defined(_WIN32)

// Opened for writing without sharing the right to write or delete: a second
// process cannot open it so until the handle is closed, also by the end of
// the process.
RunMarker::Claim RunMarker::Take(const std::string& path) {
  Release();
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? Claim::Busy
                                                                             : Claim::Unavailable;
  }
  handle_ = handle;
  path_ = path;
  if (!ReadAll()) {
    Release();
    return Claim::Unavailable;
  }
  return Claim::Taken;
}

bool RunMarker::ReadAll() {
  leftover_.clear();
  char block[4096];
  DWORD got = 0;
  while (ReadFile(handle_, block, sizeof block, &got, nullptr) && got > 0) leftover_.append(block, got);
  empty_ = leftover_.empty();
  return true;
}

bool RunMarker::Record(const std::string& text) {
  if (handle_ == nullptr) return false;
  DWORD written = 0;
  const bool good = SetFilePointer(handle_, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
                    SetEndOfFile(handle_) &&
                    WriteFile(handle_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) &&
                    written == text.size() && FlushFileBuffers(handle_);
  empty_ = text.empty() && good;
  return good;
}

void RunMarker::Release() {
  if (handle_ == nullptr) return;
  CloseHandle(handle_);
  handle_ = nullptr;
  if (empty_) DeleteFileA(path_.c_str());  // fails harmlessly when another run took it meanwhile
}

#else

// A write lock of the whole file, which the system drops with the process.
RunMarker::Claim RunMarker::Take(const std::string& path) {
  Release();
  for (int attempt = 0; attempt < 3; ++attempt) {
    const int descriptor = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (descriptor < 0) return Claim::Unavailable;
    struct flock lock {};
    lock.l_type = F_WRLCK;
    lock.l_whence = SEEK_SET;
    if (fcntl(descriptor, F_SETLK, &lock) != 0) {
      const int error = errno;
      close(descriptor);
      return error == EACCES || error == EAGAIN ? Claim::Busy : Claim::Unavailable;
    }
    // Still the file at `path`: a run that ended meanwhile may have removed it.
    struct stat held {}, named {};
    if (fstat(descriptor, &held) == 0 && stat(path.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
      descriptor_ = descriptor;
      path_ = path;
      if (ReadAll()) return Claim::Taken;
      Release();
      return Claim::Unavailable;
    }
    close(descriptor);
  }
  return Claim::Busy;
}

bool RunMarker::ReadAll() {
  leftover_.clear();
  char block[4096];
  for (;;) {
    const ssize_t got = read(descriptor_, block, sizeof block);
    if (got < 0) return false;
    if (got == 0) break;
    leftover_.append(block, static_cast<std::size_t>(got));
  }
  empty_ = leftover_.empty();
  return true;
}

bool RunMarker::Record(const std::string& text) {
  if (descriptor_ < 0) return false;
  bool good = ftruncate(descriptor_, 0) == 0;
  for (std::size_t done = 0; good && done < text.size();) {
    const ssize_t wrote = pwrite(descriptor_, text.data() + done, text.size() - done,
                                 static_cast<off_t>(done));
    good = wrote > 0;
    if (good) done += static_cast<std::size_t>(wrote);
  }
  good = good && fsync(descriptor_) == 0;
  empty_ = text.empty() && good;
  return good;
}

void RunMarker::Release() {
  if (descriptor_ < 0) return;
  if (empty_) unlink(path_.c_str());  // while still locked: no other run holds this one
  close(descriptor_);
  descriptor_ = -1;
}

#endif

void RunMarker::Clear() {
  if (Record("")) empty_ = true;
  Release();
}

}  // namespace kestrimo
