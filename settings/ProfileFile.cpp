#include "settings/ProfileFile.h"

#include "settings/DecimalText.h"
#include "settings/TextLines.h"

namespace kestrimo {

static_assert(ProfileFile::kMaxFileBytes <= SectionIndex::kMaxText);

ProfileFile::ProfileFile(FileSystem& fileSystem) : fileSystem_(&fileSystem) {}

void ProfileFile::Reset() {
  pass_ = Pass::None;
  text_.clear();
  text_.shrink_to_fit();
  sections_.Clear();
  output_.clear();
  output_.shrink_to_fit();
  position_ = cursor_ = walkFloor_ = 0;
  textCut_ = false;
  writeFailed_ = false;
}

bool ProfileFile::BeginRead() {
  Reset();
  if (location_.path.empty()) return false;
  // Until the pass ends whole, a write would lose what was not read.
  keepFile_ = true;
  try {
    // One byte more than is used tells a file longer than the cap.
    if (!fileSystem_->ReadOrCreate(location_.path, kMaxFileBytes + 1, text_)) {
      Reset();
      return false;
    }
    textCut_ = text_.size() > kMaxFileBytes;
    if (textCut_) text_.resize(kMaxFileBytes);
    sections_.Build(text_);
  } catch (...) {  // out of memory for an absurd file: every value takes its default
    Reset();
    return false;
  }
  pass_ = Pass::Read;
  return true;
}

bool ProfileFile::BeginWrite() {
  Abandon();
  if (location_.path.empty() || keepFile_ || fileSystem_->IsReadOnly(location_.path))
    return false;
  pass_ = Pass::Write;
  return true;
}

bool ProfileFile::EndPass() {
  if (pass_ == Pass::Read) keepFile_ = textCut_;
  const bool ok = pass_ != Pass::Write || Commit();
  Reset();
  return ok;
}

void ProfileFile::Abandon() { Reset(); }

bool ProfileFile::Commit() {
  if (writeFailed_) return false;
  const std::string temporary = TemporaryPath();
  if (fileSystem_->WriteNewFile(temporary, output_) &&
      fileSystem_->RenameReplacing(temporary, location_.path))
    return true;
  fileSystem_->RemoveFile(temporary);
  return false;
}

bool ProfileFile::FindSection(std::string_view name) {
  if (pass_ != Pass::Read || text_.empty()) return false;
  if (cursor_ >= text_.size()) cursor_ = 0;
  try {
    header_.assign("[").append(Trim(name)).append("]");
  } catch (...) {
    return false;
  }
  const std::optional<std::size_t> found = sections_.FindFrom(header_, cursor_);
  if (!found) return false;
  cursor_ = *found;
  position_ = LineAt(text_, cursor_).next;
  return true;
}

bool ProfileFile::NextSection(std::string& name) {
  if (pass_ != Pass::Read || text_.empty()) return false;
  if (cursor_ >= text_.size()) {
    position_ = cursor_ = walkFloor_ = 0;
  } else {
    // A lookup that found a section earlier in the file (or none at all)
    // does not move the walk backwards: it goes on after the header it
    // returned last, so every walk ends.
    if (cursor_ < walkFloor_) cursor_ = walkFloor_;
    position_ = LineAt(text_, cursor_).next;  // the current header, or the first line
  }
  cursor_ = position_;
  while (position_ < text_.size()) {
    const std::size_t start = position_;
    const TextLine line = LineAt(text_, position_);
    position_ = line.next;
    const std::string_view trimmed = Trim(line.text);
    if (IsHeaderText(trimmed)) {
      name.assign(trimmed.substr(1, trimmed.size() - 2));
      walkFloor_ = start;
      return true;
    }
    if (!trimmed.empty()) cursor_ = position_;
  }
  return false;
}

bool ProfileFile::GetValue(std::string_view section, std::string_view key,
                           std::string& value) {
  key = Trim(key);
  if (!FindSection(section)) return false;
  while (position_ < text_.size()) {
    const TextLine line = LineAt(text_, position_);
    position_ = line.next;
    const std::string_view text = TrimLeft(line.text);
    if (text.empty()) continue;
    if (text.front() == '[') return false;  // the next section
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos || TrimRight(text.substr(0, equals)) != key) continue;
    const std::string_view found = text.substr(equals + 1);
    if (found.empty()) return false;
    value.assign(found);
    return true;
  }
  return false;
}

void ProfileFile::WriteLine(std::string_view first, std::string_view second,
                            std::string_view third) {
  if (pass_ != Pass::Write) return;
  try {
    output_.append(first).append(second).append(third).append("\r\n");
  } catch (...) {  // out of memory: this save fails as a whole
    writeFailed_ = true;
  }
}

void ProfileFile::WriteSection(std::string_view name) { WriteLine("[", Trim(name), "]"); }

void ProfileFile::WriteChannelSection(ChannelId id) { WriteSection(FormatSigned(id)); }

void ProfileFile::WriteValue(std::string_view key, std::string_view value) {
  WriteLine(Trim(key), "=", value);
}

}  // namespace kestrimo
