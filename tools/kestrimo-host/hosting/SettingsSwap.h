// --settings: puts a copy of the user's settings file where the plug-in reads
// its own for one run, and puts everything back after the plug-in has been
// shut down. The user's file itself is only read, unless the plug-in's
// rewritten settings are to be kept (SaveBack).
#pragma once

#include <string>

#include "platform/FileSystem.h"
#include "tools/kestrimo-host/hosting/RunMarker.h"

namespace kestrimo {

// Where the plug-in library at `pluginPath`, loaded into this process, reads
// its settings file: the plug-in's own location rule with this process's
// inputs (program folder, instance switch, per-user switch). In this system's
// path form; empty when the plug-in would use no file.
std::string PluginSettingsPath(const std::string& pluginPath);

// The name the plug-in's own file is moved to for the run.
std::string BackupPathOf(const std::string& settingsPath);

class SettingsSwap {
 public:
  explicit SettingsSwap(FileSystem& fileSystem = HostFileSystem()) : files_(fileSystem) {}
  ~SettingsSwap();  // Restore(), if Install succeeded and Restore was not called
  SettingsSwap(const SettingsSwap&) = delete;
  SettingsSwap& operator=(const SettingsSwap&) = delete;

  // Moves a file at `settingsPath` aside to its backup name and writes a copy
  // of `userFile` in its place; creates the file's folder (its last level)
  // when missing. For the run a marker beside it (RunMarker) is held and
  // names the backup. A marker left by a run that was killed is undone first
  // (Notice() then says so). Refuses while another run holds the marker, when
  // a backup is there that no marker explains, when the user's file cannot be
  // read, and, with `saveBack`, when it is read-only or not a settings file
  // (SettingsFileProblem). False with Error() set; then nothing is left changed.
  bool Install(const std::string& userFile, const std::string& settingsPath, bool saveBack);

  // For a run without a settings file of the user's: puts a copy of the
  // plug-in's own file (an empty file when there is none) in its place, so
  // that Restore leaves the folder as it was, whatever the plug-in's save at
  // shutdown wrote. Does nothing when the plug-in would use no file or could
  // not write one there. Refuses as Install does, and when the file cannot be read.
  bool Keep(const std::string& settingsPath);

  // Removes the copy and moves the plug-in's own file back (or removes the
  // folder, if Install made it and it is empty); with `saveBack`, first takes
  // the plug-in's rewritten copy and afterwards replaces the user's file with
  // it in one step, keeping the file names the user gave (KeepFileNameKeys).
  // Then lets the marker go. False with Error() set.
  bool Restore();

  const std::string& Error() const { return error_; }
  // What was put back from an earlier run before this one; empty mostly.
  const std::string& Notice() const { return notice_; }

 private:
  bool Fail(std::string message);
  enum class Claim { Taken, Refused, Unavailable };
  // Makes the folder, takes the marker and undoes what an earlier run left.
  Claim ClaimFolder();
  bool UndoLeftover();
  // Moves the file at settingsPath_ aside and writes `text` in its place.
  bool Place(const std::string& text);
  void LetGo(bool clear);
  bool PutBack();
  void DropFolder();

  FileSystem& files_;
  RunMarker marker_;
  std::string userFile_;
  std::string userText_;
  std::string settingsPath_;
  std::string backupPath_;
  bool installed_ = false;
  bool movedAside_ = false;
  bool madeFolder_ = false;
  bool saveBack_ = false;
  std::string error_;
  std::string notice_;
};

}  // namespace kestrimo
