#include "fuzz/MemoryFiles.h"

namespace kestrimo::fuzzing {

bool MemoryFiles::ReadOrCreate(const std::string& path, std::size_t maxBytes,
                               std::string& text) {
  const std::string& content = files_[path];
  text.assign(content, 0, maxBytes);
  return true;
}

bool MemoryFiles::WriteNewFile(const std::string& path, std::string_view text) {
  files_[path].assign(text);
  return true;
}

bool MemoryFiles::RenameReplacing(const std::string& from, const std::string& to) {
  const auto found = files_.find(from);
  if (found == files_.end()) return false;
  if (from != to) {
    files_[to] = std::move(found->second);
    files_.erase(from);
  }
  return true;
}

bool MemoryFiles::RemoveFile(const std::string& path) { return files_.erase(path) != 0; }

bool MemoryFiles::MakeDirectory(const std::string&) { return false; }

bool MemoryFiles::IsReadOnly(const std::string&) { return false; }

const std::string& MemoryFiles::Content(const std::string& path) const {
  static const std::string none;
  const auto found = files_.find(path);
  return found == files_.end() ? none : found->second;
}

}  // namespace kestrimo::fuzzing
