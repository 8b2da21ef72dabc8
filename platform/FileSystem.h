// The file operations of the settings file. Paths use backslashes as folder
// separators on both targets; the native implementation turns them into
// slashes. The operations are virtual so that tests can make one of them fail.
#pragma once

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

  // Creates the last level of path only; false when it cannot (it exists,
  // or its parent is missing).
  virtual bool MakeDirectory(const std::string& path) = 0;

  // True for an existing file marked read-only (its write permission or
  // attribute), whoever the caller is.
  virtual bool IsReadOnly(const std::string& path) = 0;
};

// The real file system of the running system.
FileSystem& HostFileSystem();

}  // namespace kestrimo
