// The plug-in's own reader and writer of its INI-style settings file.
//
// A read pass takes the whole file into memory (up to kMaxFileBytes) and looks
// things up in it; the SectionCursor remembers where the last found section
// header is, so that the keys of one section, and a walk through all sections
// in file order, cost one pass over the text each. A write pass collects the
// lines (each ended by CR LF) and, when it ends, writes them to a temporary
// file beside the settings file and renames that over it, so the old file
// stays whole until the new one is complete on the disk.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "model/HostRecords.h"
#include "platform/FileSystem.h"
#include "settings/SectionIndex.h"
#include "settings/SettingsLocation.h"

namespace kestrimo {

class ProfileFile {
 public:
  // Larger files are read up to this size; the rest is ignored, and the
  // file is kept as it is (see BeginWrite).
  static constexpr std::size_t kMaxFileBytes = 64u << 20;

  explicit ProfileFile(FileSystem& fileSystem = HostFileSystem());
  ProfileFile(const ProfileFile&) = delete;
  ProfileFile& operator=(const ProfileFile&) = delete;

  void SetLocation(SettingsLocation location) {
    location_ = std::move(location);
    keepFile_ = false;
  }
  const SettingsLocation& Location() const { return location_; }
  FileSystem& Files() { return *fileSystem_; }
  void SetFileSystem(FileSystem& fileSystem) { fileSystem_ = &fileSystem; }
  // Where a write pass puts the new file before it replaces the old one.
  std::string TemporaryPath() const { return location_.path + ".tmp"; }

  // Reads the file, creating an empty one when there is none (never
  // truncating); a read-only file is read too. False when it cannot be read.
  bool BeginRead();
  // Starts collecting the new file's lines. False, and nothing will be
  // written, without a location, when the file is marked read-only, or when
  // the last read pass of this location did not take in the whole file: it
  // failed, stopped at kMaxFileBytes, or did not reach EndPass. The new file
  // would then lose what was not read, so the old one is kept.
  bool BeginWrite();
  // Ends the pass. For a write pass: replaces the file with the lines written,
  // and returns false (the old file unchanged, no temporary file left) when
  // that fails.
  bool EndPass();
  // Ends the pass without writing anything; a read pass so ended counts as
  // incomplete.
  void Abandon();
  bool IsOpen() const { return pass_ != Pass::None; }

  // Circular search for "[" + trimmed name + "]" from the SectionCursor; on
  // success the cursor is at that header and reading continues after it.
  bool FindSection(std::string_view name);
  // The name of the next section header in file order (blanks inside the
  // brackets kept), after the line at the SectionCursor, and never at or
  // before the header it returned last: a lookup that moved the cursor back
  // cannot make a walk through the sections go round for ever.
  bool NextSection(std::string& name);
  // The value text of the first line "key=value" of the section (case-
  // sensitive key, blanks around it ignored, the value unchanged). An empty
  // value counts as missing.
  bool GetValue(std::string_view section, std::string_view key, std::string& value);
  std::size_t SectionCursor() const { return cursor_; }

  void WriteSection(std::string_view name);     // "[" + trimmed name + "]"
  void WriteChannelSection(ChannelId id);       // the id in signed decimal
  void WriteValue(std::string_view key, std::string_view value);  // trimmed key "=" value

 private:
  enum class Pass { None, Read, Write };

  bool Commit();
  void WriteLine(std::string_view first, std::string_view second, std::string_view third);
  void Reset();

  FileSystem* fileSystem_;
  SettingsLocation location_;
  Pass pass_ = Pass::None;

  std::string text_;  // the file, during a read pass
  SectionIndex sections_;
  std::size_t position_ = 0;  // where the next line is read
  std::size_t cursor_ = 0;    // the SectionCursor
  std::size_t walkFloor_ = 0; // header last returned by NextSection
  std::string header_;        // scratch: "[" + name + "]"
  bool textCut_ = false;      // the file is longer than kMaxFileBytes
  bool keepFile_ = false;     // the last read was incomplete: no write pass

  std::string output_;  // the new file, during a write pass
  bool writeFailed_ = false;
};

}  // namespace kestrimo
