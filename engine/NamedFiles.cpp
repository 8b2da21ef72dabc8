#include "engine/NamedFiles.h"

#include "engine/PluginState.h"
#include "platform/FileSystem.h"
#include "settings/ProfileFile.h"

namespace kestrimo {
namespace {

void AddRecord(const ChannelSettings& record, std::set<std::string>& names) {
  for (const std::string* name : {&record.MaskFileName, &record.LogoModelFile})
    if (!name->empty()) names.insert(LeafName(*name));
}

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") + 1 - first);
}

}  // namespace

std::string LeafName(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  std::string leaf(slash == std::string_view::npos ? path : path.substr(slash + 1));
  for (char& c : leaf)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return leaf;
}

void AddSavedNames(std::string_view text, std::set<std::string>& names) {
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    const std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    const std::size_t equals = line.find('=');
    if (equals == std::string_view::npos) continue;
    const std::string_view value = Trimmed(line.substr(equals + 1));
    if (!value.empty()) names.insert(LeafName(value));
  }
}

NamedFiles CollectNamedFiles(PluginState& state, FileSystem& files) {
  NamedFiles named;
  std::string savedPath;
  {
    LockHold hold(state.SettingsLock);
    for (const ChannelSettings& record : state.ChannelList) AddRecord(record, named.current);
    AddRecord(state.DefaultSettings, named.current);
    for (const ChannelSettings& record : state.UndoList) AddRecord(record, named.others);
    savedPath = state.Profile.Location().path;
  }
  std::string text;
  if (savedPath.empty()) {
    named.complete = true;  // no settings file, so none names anything
  } else if (files.ReadOrCreate(savedPath, ProfileFile::kMaxFileBytes, text)) {
    // Cut short, or not text of single bytes (UTF-16): it may name more than is seen.
    named.complete = text.size() < ProfileFile::kMaxFileBytes &&
                     text.find('\0') == std::string::npos;
    AddSavedNames(text, named.others);
  }
  return named;
}

}  // namespace kestrimo
