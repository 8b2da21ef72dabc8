// Frames of a YUV4MPEG2 clip (8-bit planar 4:2:2) as the plug-in takes them:
// packed YUY2, rows top-down.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace kestrimo::testing {

class ClipFrames {
 public:
  explicit ClipFrames(const std::string& path);
  ~ClipFrames();
  ClipFrames(const ClipFrames&) = delete;
  ClipFrames& operator=(const ClipFrames&) = delete;

  bool Open() const { return file_ != nullptr && count_ > 0; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int Count() const { return count_; }
  // Frame `index` (taken modulo the count, so a clip loops) into `yuy2`,
  // 2 x width x height bytes.
  bool Read(int index, std::uint8_t* yuy2);

 private:
  std::FILE* file_ = nullptr;
  int width_ = 0, height_ = 0, count_ = 0;
  long first_ = 0;  // offset of the first frame's line
  std::vector<std::uint8_t> planar_;
};

// The folder of the generated clips, from KESTRIMO_LOGO_CLIPS, as a Windows
// path; empty when unset.
std::string LogoClipsFolder();

}  // namespace kestrimo::testing
