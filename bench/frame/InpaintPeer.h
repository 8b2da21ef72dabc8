// The inpainting peer: Telea's method, radius 3, on the logo area plus a
// margin of known pixels, over a 3-channel copy of the frame (Y, U, V per
// pixel for YUY2 frames, B, G, R for BGR24 frames) made outside the timing.
#pragma once

#include <memory>
#include <vector>

#include "bench/frame/Frames.h"
#include "bench/frame/LogoArea.h"

namespace kestrimo::bench {

class InpaintPeer {
 public:
  static constexpr int kRadius = 3;
  static constexpr int kMargin = 8;

  InpaintPeer();
  ~InpaintPeer();
  InpaintPeer(const InpaintPeer&) = delete;
  InpaintPeer& operator=(const InpaintPeer&) = delete;

  // Takes the frame's pixels; the pixels to rebuild are those of `rebuilt`.
  void Load(const PackedFrame& frame, const Area& rebuilt);
  void Run();
  // The frame's luma with the inpainted pixels in place.
  std::vector<std::uint8_t> ResultLuma() const;

 private:
  struct Images;
  std::unique_ptr<Images> images_;
  FrameMode mode_ = FrameMode::Yuy2;
};

}  // namespace kestrimo::bench
