// The settings file's operations on files held in memory, so that a fuzz
// target runs the settings layer's own read and atomic save on every input
// without a system call: nothing reaches a disk, and no input leaves a file
// behind for the next one.
#pragma once

#include <map>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"

namespace kestrimo::fuzzing {

class MemoryFiles : public FileSystem {
 public:
  bool ReadOrCreate(const std::string& path, std::size_t maxBytes, std::string& text) override;
  bool WriteNewFile(const std::string& path, std::string_view text) override;
  bool RenameReplacing(const std::string& from, const std::string& to) override;
  bool RemoveFile(const std::string& path) override;
  bool MakeDirectory(const std::string& path) override;
  bool IsReadOnly(const std::string& path) override;

  // The file's content; empty for a missing file.
  const std::string& Content(const std::string& path) const;
  // Sets a file's content (creating it).
  void Put(const std::string& path, std::string_view text) { files_[path].assign(text); }
  std::size_t FileCount() const { return files_.size(); }

 private:
  std::map<std::string, std::string> files_;
};

}  // namespace kestrimo::fuzzing
