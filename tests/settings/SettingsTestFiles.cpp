#include "tests/settings/SettingsTestFiles.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>

namespace kestrimo::testing {
namespace fs = std::filesystem;

TempFolder::TempFolder() {
  static std::atomic<int> counter{0};
  const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
  path_ = fs::temp_directory_path() /
          ("kestrimo-settings-" + std::to_string(stamp) + "-" + std::to_string(counter++));
  fs::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code error;
  for (const auto& entry : fs::recursive_directory_iterator(path_, error))
    fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, error);
  fs::remove_all(path_, error);
}

std::string TempFolder::ProfilePath(std::string_view name) const {
  return ToProfilePath(path_ / fs::path(std::string(name)));
}

SettingsLocation TempFolder::Location(std::string_view fileName) const {
  SettingsLocation location;
  location.folder = ToProfilePath(path_) + "\\";
  location.moduleName = "KRD_Kestrimo";
  location.fileName = fileName;
  location.path = location.folder + location.fileName;
  return location;
}

std::string ToProfilePath(const fs::path& path) {
  std::string text = path.string();
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

void WriteBytes(const fs::path& path, std::string_view bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const fs::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

void MakeReadOnly(const fs::path& path, bool readOnly) {
  const auto write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  fs::permissions(path, write, readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

bool FaultyFileSystem::ReadOrCreate(const std::string& path, std::size_t maxBytes,
                                    std::string& text) {
  return fault != Fault::ReadFails && HostFileSystem().ReadOrCreate(path, maxBytes, text);
}

bool FaultyFileSystem::WriteNewFile(const std::string& path, std::string_view text) {
  if (fault != Fault::WriteHalfThenFail) return HostFileSystem().WriteNewFile(path, text);
  HostFileSystem().WriteNewFile(path, text.substr(0, text.size() / 2));
  return false;  // as a full disk would stop it
}

bool FaultyFileSystem::RenameReplacing(const std::string& from, const std::string& to) {
  return fault != Fault::RenameFails && HostFileSystem().RenameReplacing(from, to);
}

bool FaultyFileSystem::RemoveFile(const std::string& path) {
  return HostFileSystem().RemoveFile(path);
}

bool FaultyFileSystem::MakeDirectory(const std::string& path) {
  return HostFileSystem().MakeDirectory(path);
}

bool FaultyFileSystem::IsReadOnly(const std::string& path) {
  return HostFileSystem().IsReadOnly(path);
}

}  // namespace kestrimo::testing
