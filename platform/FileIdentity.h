// Which file a path or an open stream is, whatever name leads to it
// (symbolic links, hard links, a folder given twice): the device or volume
// and the file's number on it (st_dev and st_ino; on Windows the volume
// serial number and file index), so that a tool can refuse to write over
// its own input.
#pragma once

#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace kestrimo {

struct FileIdentity {
  std::uint64_t volume = 0;
  std::uint64_t index = 0;
  bool operator==(const FileIdentity&) const = default;
};

// The identity of an existing file, absent for a missing one or a pipe or
// terminal that has none.
std::optional<FileIdentity> IdentityOfPath(const std::string& path);
std::optional<FileIdentity> IdentityOfStream(std::FILE* stream);

}  // namespace kestrimo
