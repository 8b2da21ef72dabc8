#include "engine/FoundPictureFiles.h"

#include <algorithm>

#include "detect/MaskBitmap.h"

namespace kestrimo {
namespace {

constexpr std::size_t kMaxListBytes = 1u << 20;

// Skips an optional minus and one or more digits.
bool SkipNumber(std::string_view& text, bool signedNumber) {
  if (signedNumber && !text.empty() && text.front() == '-') text.remove_prefix(1);
  const std::size_t digits = text.find_first_not_of("0123456789");
  const std::size_t count = digits == std::string_view::npos ? text.size() : digits;
  text.remove_prefix(count);
  return count != 0;
}

bool SkipText(std::string_view& text, std::string_view prefix) {
  if (!text.starts_with(prefix)) return false;
  text.remove_prefix(prefix.size());
  return true;
}

}  // namespace

bool IsFoundPictureName(std::string_view leaf) {
  if (!SkipNumber(leaf, true) || !SkipText(leaf, "-") || !SkipNumber(leaf, false)) return false;
  SkipText(leaf, "-model");
  return leaf == ".bmp";
}

void FoundPictureFiles::SetFolder(FileSystem& files, const std::string& folder) {
  std::lock_guard<std::mutex> guard(mutex_);
  files_ = &files;
  folder_ = folder;
}

bool FoundPictureFiles::Write(ChannelId channel, const std::string& maskBytes,
                              const std::string& modelBytes, const NamedFiles& named,
                              std::string& maskPath, std::string& modelPath) {
  std::lock_guard<std::mutex> guard(mutex_);
  maskPath.clear();
  modelPath.clear();
  files_->MakeDirectory(folder_.substr(0, folder_.size() - 1));
  std::vector<std::string> list;
  if (!ReadList(list)) return false;
  const bool listWasEmpty = list.empty();
  std::string mask, model;
  if (CreateUnderNewName(channel, maskBytes, modelBytes, named, mask, model)) {
    list.push_back(mask);
    if (!model.empty()) list.push_back(model);
    if (WriteList(list)) {
      pending_ = {mask, model};
      maskPath = folder_ + mask;
      if (!model.empty()) modelPath = folder_ + model;
      return true;
    }
    // Made just now and never listed: nothing names them.
    files_->RemoveFile(folder_ + mask);
    if (!model.empty()) files_->RemoveFile(folder_ + model);
  }
  if (listWasEmpty) files_->RemoveFile(folder_ + kUnkeptList);  // the empty one the read made
  return false;
}

// The channel's numbers are tried in turn; a name a setting mentions is
// passed over too, since the file it names may only be missing for now.
bool FoundPictureFiles::CreateUnderNewName(ChannelId channel, const std::string& maskBytes,
                                           const std::string& modelBytes,
                                           const NamedFiles& named, std::string& mask,
                                           std::string& model) {
  using Creation = FileSystem::Creation;
  for (int tries = 0; tries < kMaxTries; ++tries) {
    const std::string name = std::to_string(channel) + "-" + std::to_string(next_++);
    mask = name + ".bmp";
    model = name + "-model.bmp";
    if (named.Mentioned(mask) || named.Mentioned(model)) continue;
    const Creation maskMade = files_->CreateNewFile(folder_ + mask, maskBytes);
    if (maskMade == Creation::Exists) continue;
    if (maskMade == Creation::Failed) return false;
    const Creation modelMade =
        modelBytes.empty() ? Creation::Failed : files_->CreateNewFile(folder_ + model, modelBytes);
    if (modelMade == Creation::Created) return true;
    if (modelMade == Creation::Failed) {
      model.clear();  // the mask picture works without it
      return true;
    }
    files_->RemoveFile(folder_ + mask);  // made just now: nothing names it
  }
  return false;
}

bool FoundPictureFiles::HasPending() {
  std::lock_guard<std::mutex> guard(mutex_);
  return !pending_.empty();
}

void FoundPictureFiles::Release() {
  std::lock_guard<std::mutex> guard(mutex_);
  pending_.clear();
}

void FoundPictureFiles::Tidy(const NamedFiles& named, bool keep) {
  std::lock_guard<std::mutex> guard(mutex_);
  std::vector<std::string> list;
  if (files_ == nullptr || !ReadList(list)) return;
  std::vector<std::string> left;
  for (const std::string& leaf : list) {
    if (std::find(left.begin(), left.end(), leaf) != left.end()) continue;
    if (pending_.count(leaf) != 0) {
      left.push_back(leaf);
    } else if (named.NamedNow(leaf)) {
      if (!keep) left.push_back(leaf);
    } else if (named.Named(leaf) || !files_->RemoveFile(folder_ + leaf)) {
      left.push_back(leaf);  // named elsewhere, or still there
    }
  }
  if (left != list) {
    WriteList(left);
  } else if (list.empty()) {
    files_->RemoveFile(folder_ + kUnkeptList);  // the empty one the read made
  }
}

// One name a line; lines that are not of the search's names are left out, so
// that nothing else is ever removed.
bool FoundPictureFiles::ReadList(std::vector<std::string>& list) {
  list.clear();
  std::string text;
  if (!files_->ReadOrCreate(folder_ + kUnkeptList, kMaxListBytes, text)) return false;
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (IsFoundPictureName(line)) list.emplace_back(line);
  }
  return true;
}

// Replaced whole or not at all; an empty list goes.
bool FoundPictureFiles::WriteList(const std::vector<std::string>& list) {
  std::string text;
  for (const std::string& leaf : list) text += leaf + "\r\n";
  const std::string path = folder_ + kUnkeptList;
  if (!WriteFileReplacing(*files_, path, text)) return false;
  if (list.empty()) files_->RemoveFile(path);
  return true;
}

}  // namespace kestrimo
