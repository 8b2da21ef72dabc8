#include "platform/FileSystem.h"

#include <windows.h>

#include <algorithm>

namespace kestrimo {
namespace {

class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (IsOpen()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool IsOpen() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE Get() const { return handle_; }
  bool Close() {
    const HANDLE handle = handle_;
    handle_ = INVALID_HANDLE_VALUE;
    return CloseHandle(handle) != 0;
  }

 private:
  HANDLE handle_;
};

bool ReadAll(HANDLE file, std::size_t limit, std::string& text) {
  text.clear();
  if (GetFileType(file) != FILE_TYPE_DISK) return false;
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file, &size) || size.QuadPart < 0) return false;
  text.resize(static_cast<std::size_t>(
      std::min<unsigned long long>(static_cast<unsigned long long>(size.QuadPart), limit)));
  std::size_t done = 0;
  while (done < text.size()) {
    const DWORD want = static_cast<DWORD>(std::min<std::size_t>(text.size() - done, 1u << 20));
    DWORD got = 0;
    if (!ReadFile(file, text.data() + done, want, &got, nullptr)) return false;
    if (got == 0) break;  // the file shrank meanwhile
    done += got;
  }
  text.resize(done);
  return true;
}

bool WriteAll(HANDLE file, std::string_view text) {
  while (!text.empty()) {
    const DWORD want = static_cast<DWORD>(
        std::min<std::size_t>(write_faults::ChunkLength(text), 1u << 20));
    if (write_faults::Due()) {
      SetLastError(ERROR_DISK_FULL);
      return false;
    }
    DWORD put = 0;
    if (!WriteFile(file, text.data(), want, &put, nullptr) || put == 0) return false;
    text.remove_prefix(put);
  }
  return true;
}

class Win32FileSystem final : public FileSystem {
 public:
  bool ReadOrCreate(const std::string& path, std::size_t maxBytes, std::string& text) override {
    // Read access is enough, also for a read-only file; OPEN_ALWAYS creates a
    // missing one.
    Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.IsOpen() && ReadAll(file.Get(), maxBytes, text);
  }

  bool WriteNewFile(const std::string& path, std::string_view text) override {
    Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) return false;
    if (!WriteAll(file.Get(), text) || write_faults::Due() || !FlushFileBuffers(file.Get()))
      return false;
    return file.Close();
  }

  bool RenameReplacing(const std::string& from, const std::string& to) override {
    return MoveFileExA(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  }

  bool RemoveFile(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }

  Creation CreateNewFile(const std::string& path, std::string_view text) override {
    Handle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.IsOpen()) {
      const DWORD error = GetLastError();
      return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? Creation::Exists
                                                                          : Creation::Failed;
    }
    if (WriteAll(file.Get(), text) && !write_faults::Due() && FlushFileBuffers(file.Get()) &&
        file.Close()) {
      return Creation::Created;
    }
    if (file.IsOpen()) file.Close();
    DeleteFileA(path.c_str());  // the file this call created, and nothing else
    return Creation::Failed;
  }

  bool MakeDirectory(const std::string& path) override {
    return CreateDirectoryA(path.c_str(), nullptr) != 0;
  }

  bool IsReadOnly(const std::string& path) override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0 &&
           (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
  }
};

}  // namespace

FileSystem& HostFileSystem() {
  static Win32FileSystem fileSystem;
  return fileSystem;
}

}  // namespace kestrimo
