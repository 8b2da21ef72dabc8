// The marker file beside the plug-in's settings file while a run has put a
// settings file of its own there. It is locked for as long as the run lasts,
// so a second run in the same program folder is refused rather than taking
// the first run's copy for the plug-in's own file; and it names where the
// plug-in's own file was put aside, so that a run that ends without putting
// it back (killed, the machine switched off) can be undone by the next one.
// The lock goes with the process: no stale lock is left by a killed run.
#pragma once

#include <string>

#include "platform/LockedFile.h"

namespace kestrimo {

// The marker's name beside the settings file at `settingsPath`.
std::string RunMarkerPathOf(const std::string& settingsPath);

class RunMarker {
 public:
  RunMarker() = default;
  ~RunMarker() { Release(); }
  RunMarker(const RunMarker&) = delete;
  RunMarker& operator=(const RunMarker&) = delete;

  using Claim = LockedFile::Claim;
  // Opens (creating it) and locks the marker at `path`. Busy: another live
  // process holds it; Unavailable: it cannot be made (no folder, read-only).
  Claim Take(const std::string& path);

  // What the marker held when taken: empty, unless a run ended without
  // putting the settings back.
  const std::string& Leftover() const { return leftover_; }

  // Replaces the marker's content with `text`, flushed to the disk.
  bool Record(const std::string& text);

  // Empties the marker and lets it go (removing it).
  void Clear();

  // Lets the marker go: removed when it is empty, kept (for the next run)
  // when it still records something.
  void Release();

 private:
  LockedFile file_;
  bool held_ = false;
  std::string leftover_;
  bool empty_ = true;
};

}  // namespace kestrimo
