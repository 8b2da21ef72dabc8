#include "tools/kestrimo-host/pictures/Snapshots.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>

#include "tools/kestrimo-host/pictures/PictureFiles.h"
#include "tools/kestrimo-host/pictures/SnapshotImage.h"

namespace kestrimo {

Snapshots::Snapshots(std::vector<SnapshotRequest> requests) : requests_(std::move(requests)) {
  std::stable_sort(requests_.begin(), requests_.end(),
                   [](const SnapshotRequest& a, const SnapshotRequest& b) { return a.frame < b.frame; });
}

void Snapshots::Start(StreamFormat format, FrameSize size) {
  format_ = format;
  size_ = size;
  if (requests_.empty()) return;
  before_.resize(FrameBytes(format, size));
  picture_.resize(2 * FrameBytes(StreamFormat::Bgr24, size));
}

void Snapshots::KeepBefore(const std::uint8_t* frame) {
  std::memcpy(before_.data(), frame, before_.size());
}

std::string Snapshots::CheckFiles() const {
  for (const SnapshotRequest& request : requests_) {
    const char* path = request.path.c_str();
    struct stat info {};
    const bool existed = stat(path, &info) == 0;
    std::FILE* probe = std::fopen(path, "ab");  // changes no byte of a file that is there
    if (probe == nullptr) {
      return "cannot write snapshot " + request.path + ": " + std::strerror(errno) +
             "; nothing was processed";
    }
    std::fclose(probe);
    if (!existed) std::remove(path);
  }
  return {};
}

void Snapshots::WriteAfter(const std::uint8_t* after) {
  const std::size_t halfRow = 3 * static_cast<std::size_t>(size_.width);
  FrameToRgb(format_, size_, before_.data(), picture_.data(), 2 * halfRow);
  FrameToRgb(format_, size_, after, picture_.data() + halfRow, 2 * halfRow);
  const std::vector<std::uint8_t> png =
      EncodePng({picture_.data(), 2 * size_.width, size_.height, 2 * halfRow});
  const std::int64_t frame = requests_[next_].frame;
  for (; next_ < requests_.size() && requests_[next_].frame == frame; ++next_) {
    const std::string& path = requests_[next_].path;
    std::string error = WritePictureFile(path, png, "cannot write snapshot " + path);
    if (failed_.empty()) failed_ = std::move(error);
  }
}

std::string Snapshots::Problems(std::int64_t frames) const {
  std::string text = failed_;
  if (next_ >= requests_.size()) return text;
  const SnapshotRequest& first = requests_[next_];
  return text + (text.empty() ? "" : "; ") + "snapshot " + first.path + " not written: the input has " +
         std::to_string(frames) + " frames, no frame " + std::to_string(first.frame);
}

}  // namespace kestrimo
