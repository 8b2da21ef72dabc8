// A small file held open and locked by this process for as long as it wants:
// another process cannot take it meanwhile, and the system lets go of it when
// the process ends, however it ends (no stale lock after a kill).
#pragma once

#include <string>

namespace kestrimo {

class LockedFile {
 public:
  LockedFile() = default;
  ~LockedFile() { Close(false); }
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

  enum class Claim { Taken, Busy, Unavailable };
  // Opens the file at `path` (creating it when missing) and locks it. Busy:
  // another live process holds it; Unavailable: it cannot be opened or made.
  Claim Take(const std::string& path);

  // The whole content, read from the start; false on a read error.
  bool ReadAll(std::string& text);

  // Replaces the content with `text` and flushes it to the disk.
  bool Replace(const std::string& text);

  // Lets go of the file, first removing it when `remove` is set.
  void Close(bool remove);

 private:
#if defined(_WIN32)
  void* handle_ = nullptr;
#else
  int descriptor_ = -1;
#endif
  std::string path_;
};

}  // namespace kestrimo
