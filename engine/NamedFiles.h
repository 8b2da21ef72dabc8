// Which files the settings name: the logo search removes only files that none
// of them does. A name counts by its last part alone, in lower case, so that
// a record naming the same file another way ("/" for "\", other letter case,
// another folder) still protects it: a doubt keeps the file.
#pragma once

#include <set>
#include <string>
#include <string_view>

namespace kestrimo {

class FileSystem;
class PluginState;

// The last part of a path (after the last "\" or "/"), ASCII letters in lower case.
std::string LeafName(std::string_view path);

struct NamedFiles {
  // The mask pictures and models of the channel records as they are now,
  // and of the defaults for new channels.
  std::set<std::string> current;
  // Those of the records the settings window would restore, and every value
  // of the settings file as last saved.
  std::set<std::string> others;
  // False when the saved file could not be read whole: then it may name
  // anything, and nothing is removed.
  bool complete = false;

  bool NamedNow(std::string_view leaf) const { return current.count(std::string(leaf)) != 0; }
  // Named by a record or the saved file, whether or not it was read whole.
  bool Mentioned(std::string_view leaf) const {
    return NamedNow(leaf) || others.count(std::string(leaf)) != 0;
  }
  // Named, or perhaps named where the saved file was not read.
  bool Named(std::string_view leaf) const { return !complete || Mentioned(leaf); }
};

// Adds the last part of every "key=value" line's value of a settings file's text.
void AddSavedNames(std::string_view text, std::set<std::string>& names);

// The names of state's records (taken under SettingsLock) and of its settings
// file, read through `files`.
NamedFiles CollectNamedFiles(PluginState& state, FileSystem& files);

}  // namespace kestrimo
