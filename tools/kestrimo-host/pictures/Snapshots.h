// The --snapshot requests of a run: a copy of each wanted frame is kept before
// the plug-in changes it, and both versions go side by side into a PNG file.
// Without requests nothing is allocated and a frame costs one comparison.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "tools/kestrimo-host/stream/StreamFormat.h"

namespace kestrimo {

// Write frame `frame` (0-based), before and after the plug-in, to `path` as PNG.
struct SnapshotRequest {
  std::int64_t frame = 0;
  std::string path;
};

class Snapshots {
 public:
  explicit Snapshots(std::vector<SnapshotRequest> requests);

  // Whether every file asked for can be written, before any frame is: an
  // error text naming the first that cannot (its folder is missing, say),
  // or empty. A file that is not there yet is made and removed again.
  std::string CheckFiles() const;

  // Sizes the frame copy and the picture for frames of this format and size.
  void Start(StreamFormat format, FrameSize size);

  bool Wants(std::int64_t frame) const {
    return next_ < requests_.size() && requests_[next_].frame == frame;
  }

  // Copies the frame as the plug-in is about to get it.
  void KeepBefore(const std::uint8_t* frame);

  // Writes every picture asked for the frame last kept, the copy on the left
  // and `after` on the right. A file that cannot be written is kept for
  // Problems(); the video goes on.
  void WriteAfter(const std::uint8_t* after);

  // The pictures that could not be written and the requests for frames the
  // input did not reach, as an error text; empty when every picture was written.
  std::string Problems(std::int64_t frames) const;

 private:
  std::vector<SnapshotRequest> requests_;  // by frame; same frame: in the order given
  std::size_t next_ = 0;
  std::string failed_;  // the first picture that could not be written
  StreamFormat format_ = StreamFormat::Y4m;
  FrameSize size_;
  std::vector<std::uint8_t> before_;
  std::vector<std::uint8_t> picture_;  // RGB, 2 x width by height
};

}  // namespace kestrimo
