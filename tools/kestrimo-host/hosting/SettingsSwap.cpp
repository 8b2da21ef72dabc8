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
#include "tools/kestrimo-host/hosting/FileNameKeys.h"
#include "tools/kestrimo-host/hosting/SettingsFileCheck.h"
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

// The marker's text: what to undo if this run ends without putting back.
std::string MarkerText(const std::string& settingsPath, const std::string& aside,
                       const std::string& folder) {
  return "A kestrimo-host run has put a settings file of its own at\n" + settingsPath +
         "\nThe plug-in's own file is put aside at the name after 'aside=' (none when empty).\n"
         "The next run puts it back; or move it back by hand and delete this file.\n"
         "aside=" + aside + "\nfolder=" + folder + "\n";
}

// The rest of the marker's line that begins with `name`.
std::string MarkerField(const std::string& text, const std::string& name) {
  std::size_t pos = text.find("\n" + name);
  if (pos == std::string::npos) return {};
  pos += 1 + name.size();
  return text.substr(pos, text.find('\n', pos) - pos);
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
  std::string& text = userText_;
  if (std::string error = ReadWholeFile(userFile, text); !error.empty()) return Fail(std::move(error));
  if (saveBack) {
    if (std::string problem = SettingsFileProblem(text); !problem.empty()) {
      return Fail(userFile + " is not a settings file (" + problem +
                  "); --save-settings leaves it unchanged and the run does not start");
    }
    if (files_.IsReadOnly(userFile)) {
      return Fail(userFile + " is read-only: --save-settings cannot replace it");
    }
  }
  if (ClaimFolder() != Claim::Taken) {
    if (error_.empty()) Fail("cannot make a marker beside " + settingsPath + " for the run");
    return false;
  }
  return Place(text);
}

bool SettingsSwap::Keep(const std::string& settingsPath) {
  if (installed_) return Fail("settings are already installed");
  if (settingsPath.empty()) return true;  // the plug-in reads and writes no file
  settingsPath_ = settingsPath;
  backupPath_ = BackupPathOf(settingsPath);
  saveBack_ = false;
  switch (ClaimFolder()) {
    case Claim::Refused: return false;
    // A folder this process cannot write to is one the plug-in cannot save
    // into either: then there is nothing to guard.
    case Claim::Unavailable: return true;
    case Claim::Taken: break;
  }
  std::string text;  // no file: an empty one reads as no file does
  if (Exists(settingsPath)) {
    if (std::string error = ReadWholeFile(settingsPath, text); !error.empty()) {
      LetGo(true);
      return Fail(std::move(error));
    }
  }
  if (!Place(text)) error_.clear();
  return true;
}

SettingsSwap::Claim SettingsSwap::ClaimFolder() {
  const std::string marker = RunMarkerPathOf(settingsPath_);
  madeFolder_ = files_.MakeDirectory(FolderOf(settingsPath_));
  switch (marker_.Take(marker)) {
    case RunMarker::Claim::Busy:
      DropFolder();
      Fail("another kestrimo-host run is using " + settingsPath_ + " (it holds " + marker +
           "); wait until it ends, or run this copy of the tool from another folder");
      return Claim::Refused;
    case RunMarker::Claim::Unavailable:
      DropFolder();
      return Claim::Unavailable;
    case RunMarker::Claim::Taken:
      break;
  }
  if (!UndoLeftover()) {
    marker_.Release();
    DropFolder();
    return Claim::Refused;
  }
  if (Exists(backupPath_)) {
    LetGo(true);
    Fail(backupPath_ + " exists: an earlier run was stopped before it could put back the "
         "plug-in's own settings file; move it back to " + settingsPath_ + " first");
    return Claim::Refused;
  }
  return Claim::Taken;
}

// The marker of a run that ended without putting things back names the
// plug-in's own file it put aside, or none: then the file there is that
// run's copy.
bool SettingsSwap::UndoLeftover() {
  const std::string& leftover = marker_.Leftover();
  if (leftover.empty()) return true;
  const std::string aside = MarkerField(leftover, "aside=");
  bool good = true;
  if (aside.empty()) {
    good = !Exists(settingsPath_) || files_.RemoveFile(settingsPath_);
  } else if (aside != backupPath_) {
    good = false;  // only ever the backup name: anything else is not undone
  } else if (Exists(aside)) {
    good = files_.RenameReplacing(aside, settingsPath_);
  }
  if (!good) {
    return Fail("an earlier run was stopped before it could put back the plug-in's settings file, "
                "and it cannot be done now; see " + RunMarkerPathOf(settingsPath_));
  }
  if (MarkerField(leftover, "folder=") == "made") madeFolder_ = true;
  notice_ = "an earlier run was stopped before it could put back " + settingsPath_ +
            (aside.empty() ? "; its copy is removed" : "; the plug-in's own file is back");
  return marker_.Record("");
}

bool SettingsSwap::Place(const std::string& text) {
  const std::string& settingsPath = settingsPath_;
  const std::string folder = madeFolder_ ? "made" : "kept";
  const auto record = [&](const std::string& aside) {
    return marker_.Record(MarkerText(settingsPath, aside, folder));
  };
  if (!record(Exists(settingsPath) ? backupPath_ : std::string())) {
    LetGo(true);
    return Fail("cannot write " + RunMarkerPathOf(settingsPath));
  }
  movedAside_ = std::rename(settingsPath.c_str(), backupPath_.c_str()) == 0;
  if (!movedAside_) {
    const int error = errno;
    if (error != ENOENT || !record(std::string())) {
      LetGo(true);  // the plug-in's file stays where it is
      return Fail("cannot move " + settingsPath + " aside: " + std::strerror(error));
    }
  }
  if (!files_.WriteNewFile(settingsPath, text)) {
    files_.RemoveFile(settingsPath);
    const std::string reason = "cannot write " + settingsPath;
    LetGo(PutBack());
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
  const bool good = PutBack();
  LetGo(good);
  if (!saveBack_) return good;
  if (!readError.empty()) return Fail(readError + "; " + userFile_ + " is left as it was");
  const std::string temporary = userFile_ + ".kestrimo-host-new";
  if (!files_.WriteNewFile(temporary, KeepFileNameKeys(userText_, rewritten)) ||
      !files_.RenameReplacing(temporary, userFile_)) {
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
  return true;
}

// Lets the marker go, emptied when everything is back in place; then the
// folder made for the run goes too.
void SettingsSwap::LetGo(bool clear) {
  if (clear) {
    marker_.Clear();
    DropFolder();
  } else {
    marker_.Release();
  }
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
