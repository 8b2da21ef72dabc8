// Temporary folders and files for the settings tests, and a file system that
// fails on request.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

#include "platform/FileSystem.h"
#include "settings/SettingsLocation.h"

namespace kestrimo::testing {

// A fresh folder under the system's temporary folder, removed with all its
// content at the end of the test.
class TempFolder {
 public:
  TempFolder();
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // A path inside the folder, with backslashes as the settings code wants it.
  std::string ProfilePath(std::string_view name) const;
  // A settings location of file name inside the folder.
  SettingsLocation Location(std::string_view fileName = "KRD_Kestrimo.ini") const;

 private:
  std::filesystem::path path_;
};

std::string ToProfilePath(const std::filesystem::path& path);
void WriteBytes(const std::filesystem::path& path, std::string_view bytes);
std::string ReadBytes(const std::filesystem::path& path);
void MakeReadOnly(const std::filesystem::path& path, bool readOnly);

// The host's file system, with one operation made to fail.
class FaultyFileSystem : public FileSystem {
 public:
  // ReadFails: the file cannot be read, as under a sharing violation.
  enum class Fault { None, WriteHalfThenFail, RenameFails, ReadFails };
  Fault fault = Fault::None;

  bool ReadOrCreate(const std::string& path, std::size_t maxBytes, std::string& text) override;
  bool WriteNewFile(const std::string& path, std::string_view text) override;
  bool RenameReplacing(const std::string& from, const std::string& to) override;
  bool RemoveFile(const std::string& path) override;
  bool MakeDirectory(const std::string& path) override;
  bool IsReadOnly(const std::string& path) override;
};

}  // namespace kestrimo::testing
