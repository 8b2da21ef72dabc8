#include "tools/kestrimo-host/hosting/SettingsSwap.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#if defined(_WIN32)
#include <direct.h>
#else
#include <unistd.h>
#endif

#include "platform/SettingsInputs.h"
#include "settings/SettingsLocation.h"

namespace kestrimo {
namespace {

// The plug-in reads no more than this of its file; a bigger one is no settings file.
constexpr long kMaxSettingsBytes = 64L * 1024 * 1024;

std::string NativePath(std::string path) {
#if !defined(_WIN32)
  std::replace(path.begin(), path.end(), '\\', '/');
#endif
  return path;
}

std::string FolderOf(const std::string& path) {
  const std::size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool Exists(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0;
}

void RemoveEmptyFolder(const std::string& path) {
#if defined(_WIN32)
  _rmdir(path.c_str());
#else
  rmdir(path.c_str());
#endif
}

// The whole file; an error text, empty on success.
std::string ReadWholeFile(const std::string& path, std::string& text) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (file == nullptr) return "cannot read " + path + ": " + std::strerror(errno);
  std::string error;
  char block[65536];
  text.clear();
  for (;;) {
    const std::size_t got = std::fread(block, 1, sizeof block, file);
    text.append(block, got);
    if (static_cast<long>(text.size()) > kMaxSettingsBytes) {
      error = path + " is larger than 64 MB: not a settings file";
      break;
    }
    if (got < sizeof block) {
      if (std::ferror(file)) error = "cannot read " + path + ": " + std::strerror(errno);
      break;
    }
  }
  std::fclose(file);
  return error;
}

}  // namespace

std::string PluginSettingsPath(const std::string& pluginPath) {
  const SettingsLocation location =
      ResolveSettingsLocation(GatherSettingsInputs(), ModuleBaseName(pluginPath));
  return NativePath(location.path);
}

std::string BackupPathOf(const std::string& settingsPath) {
  return settingsPath + ".kestrimo-host-backup";
}

SettingsSwap::~SettingsSwap() {
  if (installed_ && !Restore()) std::fprintf(stderr, "kestrimo-host: %s\n", error_.c_str());
}

bool SettingsSwap::Install(const std::string& userFile, const std::string& settingsPath,
                           bool saveBack) {
  if (installed_) return Fail("settings are already installed");
  if (settingsPath.empty()) {
    return Fail("the plug-in would use no settings file here (its location is unknown)");
  }
  userFile_ = userFile;
  settingsPath_ = settingsPath;
  backupPath_ = BackupPathOf(settingsPath);
  saveBack_ = saveBack;
  std::string text;
  if (std::string error = ReadWholeFile(userFile, text); !error.empty()) return Fail(std::move(error));
  if (saveBack && files_.IsReadOnly(userFile)) {
    return Fail(userFile + " is read-only: --save-settings cannot replace it");
  }
  return Place(text);
}

bool SettingsSwap::Keep(const std::string& settingsPath) {
  if (installed_) return Fail("settings are already installed");
  if (settingsPath.empty()) return true;  // the plug-in reads and writes no file
  settingsPath_ = settingsPath;
  backupPath_ = BackupPathOf(settingsPath);
  saveBack_ = false;
  std::string text;  // no file: an empty one reads as no file does
  if (Exists(settingsPath)) {
    if (std::string error = ReadWholeFile(settingsPath, text); !error.empty()) return Fail(std::move(error));
  }
  if (Exists(backupPath_)) return Place(text);  // refused, with the advice
  // Otherwise a folder this process cannot write to is one the plug-in
  // cannot save into either: then there is nothing to guard.
  if (!Place(text)) error_.clear();
  return true;
}

bool SettingsSwap::Place(const std::string& text) {
  const std::string& settingsPath = settingsPath_;
  if (Exists(backupPath_)) {
    return Fail(backupPath_ + " exists: an earlier run was stopped before it could put back the "
                "plug-in's own settings file; move it back to " + settingsPath + " first");
  }
  madeFolder_ = files_.MakeDirectory(FolderOf(settingsPath));
  movedAside_ = std::rename(settingsPath.c_str(), backupPath_.c_str()) == 0;
  if (!movedAside_ && errno != ENOENT) {
    const std::string reason = std::strerror(errno);
    DropFolder();  // the plug-in's file stays where it is
    return Fail("cannot move " + settingsPath + " aside: " + reason);
  }
  if (!files_.WriteNewFile(settingsPath, text)) {
    files_.RemoveFile(settingsPath);
    const std::string reason = "cannot write " + settingsPath;
    PutBack();
    return Fail(reason);
  }
  installed_ = true;
  return true;
}

bool SettingsSwap::Restore() {
  if (!installed_) return true;
  installed_ = false;
  std::string rewritten;
  const std::string readError = saveBack_ ? ReadWholeFile(settingsPath_, rewritten) : std::string();
  bool good = PutBack();
  if (!saveBack_) return good;
  if (!readError.empty()) return Fail(readError + "; " + userFile_ + " is left as it was");
  const std::string temporary = userFile_ + ".kestrimo-host-new";
  if (!files_.WriteNewFile(temporary, rewritten) || !files_.RenameReplacing(temporary, userFile_)) {
    files_.RemoveFile(temporary);
    return Fail("cannot replace " + userFile_ + " with the plug-in's settings; it is left as it was");
  }
  return good;
}

bool SettingsSwap::PutBack() {
  if (movedAside_) {
    movedAside_ = false;
    if (!files_.RenameReplacing(backupPath_, settingsPath_)) {
      return Fail("cannot move " + backupPath_ + " back to " + settingsPath_ + "; please do it by hand");
    }
    return true;
  }
  files_.RemoveFile(settingsPath_);
  DropFolder();
  return true;
}

void SettingsSwap::DropFolder() {
  if (madeFolder_) RemoveEmptyFolder(FolderOf(settingsPath_));
  madeFolder_ = false;
}

bool SettingsSwap::Fail(std::string message) {
  error_ = std::move(message);
  return false;
}

}  // namespace kestrimo
