#include "platform/FileSystem.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace kestrimo {
namespace {

std::string Native(const std::string& path) {
  std::string native = path;
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
}

std::string FolderOf(const std::string& nativePath) {
  const std::size_t slash = nativePath.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : nativePath.substr(0, slash);
}

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int Get() const { return fd_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return close(fd) == 0;
  }

 private:
  int fd_;
};

bool ReadAll(int fd, std::size_t limit, std::string& text) {
  text.clear();
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) return false;
  const auto size = static_cast<unsigned long long>(info.st_size);
  text.resize(static_cast<std::size_t>(std::min<unsigned long long>(size, limit)));
  std::size_t done = 0;
  while (done < text.size()) {
    const ssize_t got = read(fd, text.data() + done, text.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) return false;
    if (got == 0) break;  // the file shrank meanwhile
    done += static_cast<std::size_t>(got);
  }
  text.resize(done);
  return true;
}

bool WriteAll(int fd, std::string_view text) {
  while (!text.empty()) {
    const std::size_t chunk = write_faults::ChunkLength(text);
    if (write_faults::Due()) {
      errno = ENOSPC;
      return false;
    }
    const ssize_t put = write(fd, text.data(), chunk);
    if (put < 0 && errno == EINTR) continue;
    if (put <= 0) return false;
    text.remove_prefix(static_cast<std::size_t>(put));
  }
  return true;
}

class PosixFileSystem final : public FileSystem {
 public:
  bool ReadOrCreate(const std::string& path, std::size_t maxBytes, std::string& text) override {
    // Non-blocking, so that a named pipe in the file's place cannot stall the host.
    Descriptor file(open(Native(path).c_str(), O_RDONLY | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0666));
    return file.Get() >= 0 && ReadAll(file.Get(), maxBytes, text);
  }

  bool WriteNewFile(const std::string& path, std::string_view text) override {
    Descriptor file(open(Native(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
    if (file.Get() < 0) return false;
    if (!WriteAll(file.Get(), text) || write_faults::Due() || fsync(file.Get()) != 0) return false;
    return file.Close();
  }

  bool RenameReplacing(const std::string& from, const std::string& to) override {
    const std::string target = Native(to);
    if (rename(Native(from).c_str(), target.c_str()) != 0) return false;
    // Make the new directory entry durable too; the rename is done either way.
    Descriptor folder(open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.Get() >= 0) fsync(folder.Get());
    return true;
  }

  bool RemoveFile(const std::string& path) override {
    return unlink(Native(path).c_str()) == 0;
  }

  Creation CreateNewFile(const std::string& path, std::string_view text) override {
    const std::string native = Native(path);
    Descriptor file(open(native.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (file.Get() < 0) return errno == EEXIST ? Creation::Exists : Creation::Failed;
    if (WriteAll(file.Get(), text) && !write_faults::Due() && fsync(file.Get()) == 0 &&
        file.Close()) {
      return Creation::Created;
    }
    unlink(native.c_str());  // the file this call created, and nothing else
    return Creation::Failed;
  }

  bool MakeDirectory(const std::string& path) override {
    return mkdir(Native(path).c_str(), 0777) == 0;
  }

  bool IsReadOnly(const std::string& path) override {
    struct stat info {};
    if (stat(Native(path).c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return false;
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
  }
};

}  // namespace

FileSystem& HostFileSystem() {
  static PosixFileSystem fileSystem;
  return fileSystem;
}

}  // namespace kestrimo
