// The file operations of the settings file and of the pictures written
// beside it. Paths use backslashes as folder
// separators on both targets; the native implementation turns them into
// slashes. The operations are virtual so that tests can make one of them fail.
#pragma once

#include <atomic>
#include <cstddef>
#include <string>
#include <string_view>

namespace kestrimo {

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Reads at most maxBytes of a regular file into text (the rest is left
  // out). A missing file is created empty. False when the file can neither
  // be read nor created.
  virtual bool ReadOrCreate(const std::string& path, std::size_t maxBytes,
                            std::string& text) = 0;

  // Creates the file (or truncates it), writes text, flushes it to the disk
  // and closes it. False when any step fails; the file may then be partial.
  virtual bool WriteNewFile(const std::string& path, std::string_view text) = 0;

  // Renames from to to in one step, replacing an existing file to.
  virtual bool RenameReplacing(const std::string& from, const std::string& to) = 0;

  virtual bool RemoveFile(const std::string& path) = 0;

  // Creates the file only where none is, writes text, flushes it to the disk
  // and closes it: an existing file is never opened, let alone changed. When
  // a step after the creation fails, the file it created is removed again.
  // A file system without it creates nothing (Failed).
  enum class Creation { Created, Exists, Failed };
  virtual Creation CreateNewFile(const std::string& path, std::string_view text);

  // Creates the last level of path only; false when it cannot (it exists,
  // or its parent is missing).
  virtual bool MakeDirectory(const std::string& path) = 0;

  // True for an existing file marked read-only (its write permission or
  // attribute), whoever the caller is.
  virtual bool IsReadOnly(const std::string& path) = 0;
};

inline FileSystem::Creation FileSystem::CreateNewFile(const std::string&, std::string_view) {
  return Creation::Failed;
}

// The real file system of the running system.
FileSystem& HostFileSystem();

// Test hook for the write path of HostFileSystem().WriteNewFile, off at
// start: once armed with n > 0, the text goes out one line per write call,
// and the nth of those calls from now fails as on a full disk (the flush to
// the disk after the last line counts as one more call). 0 disarms it and
// keeps the record of whether it failed.
void FailNthWriteForTesting(int n);
// True once the armed failure has happened (until the next arming).
bool WriteFailureHappenedForTesting();

namespace write_faults {

inline std::atomic<int> callsUntilFailure{0};
inline std::atomic<bool> failed{false};

// For the implementations: whether the hook is armed, and one write call
// counted against it (true when this one is to fail).
inline bool Armed() { return callsUntilFailure.load(std::memory_order_relaxed) != 0; }
inline bool Due() {
  int left = callsUntilFailure.load(std::memory_order_relaxed);
  while (left != 0) {
    if (callsUntilFailure.compare_exchange_weak(left, left - 1)) {
      if (left != 1) return false;
      failed.store(true);
      return true;
    }
  }
  return false;
}
// The length of the next write: one line while the hook is armed, else all.
inline std::size_t ChunkLength(std::string_view text) {
  if (!Armed()) return text.size();
  const std::size_t end = text.find('\n');
  return end == std::string_view::npos ? text.size() : end + 1;
}

}  // namespace write_faults

inline void FailNthWriteForTesting(int n) {
  if (n > 0) write_faults::failed.store(false);
  write_faults::callsUntilFailure.store(n > 0 ? n : 0);
}
inline bool WriteFailureHappenedForTesting() { return write_faults::failed.load(); }

}  // namespace kestrimo
