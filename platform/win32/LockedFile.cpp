#include "platform/LockedFile.h"

#include <windows.h>

namespace kestrimo {

// Opened for writing without sharing the right to write or delete: no other
// process can open it so until the handle is closed, also by the end of the
// process.
LockedFile::Claim LockedFile::Take(const std::string& path) {
  Close(false);
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ? Claim::Busy
                                                                             : Claim::Unavailable;
  }
  handle_ = handle;
  path_ = path;
  return Claim::Taken;
}

bool LockedFile::ReadAll(std::string& text) {
  text.clear();
  if (handle_ == nullptr || SetFilePointer(handle_, 0, nullptr, FILE_BEGIN) == INVALID_SET_FILE_POINTER)
    return false;
  char block[4096];
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(handle_, block, sizeof block, &got, nullptr)) return false;
    if (got == 0) return true;
    text.append(block, got);
  }
}

bool LockedFile::Replace(const std::string& text) {
  if (handle_ == nullptr) return false;
  DWORD written = 0;
  const DWORD size = static_cast<DWORD>(text.size());
  return SetFilePointer(handle_, 0, nullptr, FILE_BEGIN) != INVALID_SET_FILE_POINTER &&
         SetEndOfFile(handle_) && WriteFile(handle_, text.data(), size, &written, nullptr) &&
         written == size && FlushFileBuffers(handle_);
}

void LockedFile::Close(bool remove) {
  if (handle_ == nullptr) return;
  CloseHandle(handle_);
  handle_ = nullptr;
  // After the close: fails harmlessly when another process took it meanwhile.
  if (remove) DeleteFileA(path_.c_str());
}

}  // namespace kestrimo
