// The files the logo search writes, in its folder beside the settings file.
// Each found mask picture and its model go under names new to the folder,
// <channel id>-<n>.bmp and <channel id>-<n>-model.bmp, created only where no
// file is and no setting names one; the search never writes, renames or
// removes any other file. Until a record keeps them, their names stand in the
// folder's list of unkept files, so that a later tidy, also by a program
// started after this one died, removes those that nothing names. A kept file
// leaves the list, and the search never removes it.
//
// The latest result, until the window takes it or gives it up (Release), is
// pending: no tidy removes it, since no record can name it yet. Writing and
// tidying may come from different threads; each runs whole before the other.
#pragma once

#include <cstdint>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/NamedFiles.h"
#include "model/HostRecords.h"
#include "platform/FileSystem.h"

namespace kestrimo {

// Whether a file name (without folder) is of the form the search writes:
// <channel id>-<n>.bmp or <channel id>-<n>-model.bmp, in lower case.
bool IsFoundPictureName(std::string_view leaf);

class FoundPictureFiles {
 public:
  static constexpr const char* kUnkeptList = "unkept.txt";
  // Names tried for one result before the search gives up.
  static constexpr int kMaxTries = 1000;

  // The folder, ending with a backslash; made when a result is written.
  void SetFolder(FileSystem& files, const std::string& folder);

  // Writes a result under new names that `named` does not mention, the model
  // only when modelBytes is not empty, and lists both as unkept and pending.
  // The paths written come out; modelPath stays empty when the model could
  // not be written (the mask picture works without it). False, with nothing
  // left behind, when the mask picture or the list cannot be written.
  bool Write(ChannelId channel, const std::string& maskBytes, const std::string& modelBytes,
             const NamedFiles& named, std::string& maskPath, std::string& modelPath);
  bool HasPending();
  // The pending result is taken or given up: from now on the records decide.
  void Release();
  // Removes the unkept files that `named` does not name (the pending ones
  // aside) and forgets them. With keep, those the current records name are
  // kept: they leave the list.
  void Tidy(const NamedFiles& named, bool keep);

 private:
  // Creates the mask picture, and the model when it can, under a name new to
  // the folder and to the settings; their names (without folder) come out,
  // the model's empty when it was not written. False when the mask picture
  // cannot be written.
  bool CreateUnderNewName(ChannelId channel, const std::string& maskBytes,
                          const std::string& modelBytes, const NamedFiles& named,
                          std::string& mask, std::string& model);
  bool ReadList(std::vector<std::string>& list);
  bool WriteList(const std::vector<std::string>& list);

  std::mutex mutex_;  // guards everything below, and the folder's files
  FileSystem* files_ = nullptr;
  std::string folder_;
  std::int64_t next_ = 1;  // grows over the program's life: a name is never given twice
  std::set<std::string> pending_;
};

}  // namespace kestrimo
