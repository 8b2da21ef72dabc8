#include "platform/LockedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace kestrimo {

// A write lock of the whole file, which the system drops with the process.
LockedFile::Claim LockedFile::Take(const std::string& path) {
  Close(false);
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
    // Still the file at `path`: its holder may have removed it meanwhile.
    struct stat held {}, named {};
    if (fstat(descriptor, &held) == 0 && stat(path.c_str(), &named) == 0 &&
        held.st_dev == named.st_dev && held.st_ino == named.st_ino) {
      descriptor_ = descriptor;
      path_ = path;
      return Claim::Taken;
    }
    close(descriptor);
  }
  return Claim::Busy;
}

bool LockedFile::ReadAll(std::string& text) {
  text.clear();
  if (descriptor_ < 0) return false;
  char block[4096];
  for (off_t at = 0;;) {
    const ssize_t got = pread(descriptor_, block, sizeof block, at);
    if (got < 0) return false;
    if (got == 0) return true;
    text.append(block, static_cast<std::size_t>(got));
    at += got;
  }
}

bool LockedFile::Replace(const std::string& text) {
  if (descriptor_ < 0) return false;
  bool good = ftruncate(descriptor_, 0) == 0;
  for (std::size_t done = 0; good && done < text.size();) {
    const ssize_t wrote = pwrite(descriptor_, text.data() + done, text.size() - done,
                                 static_cast<off_t>(done));
    good = wrote > 0;
    if (good) done += static_cast<std::size_t>(wrote);
  }
  return good && fsync(descriptor_) == 0;
}

void LockedFile::Close(bool remove) {
  if (descriptor_ < 0) return;
  if (remove) unlink(path_.c_str());  // while still locked: no other process holds this one
  close(descriptor_);
  descriptor_ = -1;
}

}  // namespace kestrimo
