#include "tools/kestrimo-host/pictures/Snapshots.h"

#include <algorithm>
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

std::string Snapshots::WriteAfter(const std::uint8_t* after) {
  const std::size_t halfRow = 3 * static_cast<std::size_t>(size_.width);
  FrameToRgb(format_, size_, before_.data(), picture_.data(), 2 * halfRow);
  FrameToRgb(format_, size_, after, picture_.data() + halfRow, 2 * halfRow);
  const std::vector<std::uint8_t> png =
      EncodePng({picture_.data(), 2 * size_.width, size_.height, 2 * halfRow});
  const std::int64_t frame = requests_[next_].frame;
  std::string error;
  for (; next_ < requests_.size() && requests_[next_].frame == frame; ++next_) {
    if (error.empty()) {
      const std::string& path = requests_[next_].path;
      error = WritePictureFile(path, png, "cannot write snapshot " + path);
    }
  }
  return error;
}

std::string Snapshots::Unreached(std::int64_t frames) const {
  if (next_ >= requests_.size()) return {};
  const SnapshotRequest& first = requests_[next_];
  return "snapshot " + first.path + " not written: the input has " + std::to_string(frames) +
         " frames, no frame " + std::to_string(first.frame);
}

}  // namespace kestrimo
