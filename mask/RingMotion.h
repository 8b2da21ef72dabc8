// How the picture around a logo's area moves from one frame to the next,
// measured on a ring of pixels around the area, so that what the logo hides
// can later be taken from where the scene showed it before.
//
// The ring is cut into blocks of 16 x 16 pixels that lie wholly where the
// ring may be used (outside the logo's mask grown by a margin). Each frame,
// a block with texture in both directions is matched against the previous
// frame by the sum of absolute differences of its key samples (luma of
// YUY2, green of BGR): first around where the last motion puts it; when
// that leaves too few blocks agreeing, by a wide search from coarse to fine
// (the ring's best common shift at a quarter of the resolution, each block
// at half, then at full). The best whole shift of a block is refined to a
// fraction of a pixel by the shape of the sums about it. A robust fit of a
// translation and a zoom about the area's centre to the blocks' shifts
// (medians first, then least squares over the blocks that agree with it,
// twice) keeps blocks that something else moves through out of the answer.
// A ring that tells no motion so is measured again with fainter texture.
//
// All arithmetic is in integers: the .so and the DLL give the same answer.
#pragma once

#include <cstdint>

#include "base/FrameGeometry.h"
#include "base/Rect.h"
#include "base/ScratchArray.h"

namespace kestrimo {

// The motion of the scene from the previous frame to this one, about the
// area's centre c (frame pixels, a pixel's centre at its whole coordinate):
// the point shown at frame pixel x now was shown at
// c + zoom * (x - c) + shift in the previous frame.
struct SceneMotion {
  // Unknown: the ring has too little texture, too few of its blocks agree,
  // or there is no previous frame. Cut: almost no block of the ring is
  // found in the previous frame.
  enum class Kind { Tracked, Unknown, Cut };
  static constexpr std::int32_t kShiftUnit = 256;   // shift in 1/256 pixel
  static constexpr std::int32_t kZoomUnit = 65536;  // zoom in 1/65536

  Kind kind = Kind::Unknown;
  std::int32_t shiftX = 0, shiftY = 0;
  std::int32_t zoom = kZoomUnit;
  friend bool operator==(const SceneMotion&, const SceneMotion&) = default;
};

class RingMotion {
 public:
  static constexpr std::int32_t kBlock = 16;
  // The widest pan followed, per frame, at 1080 lines (scaled with the
  // frame's height), and the largest change of zoom (1/65536), about 3 %.
  static constexpr std::int32_t kPanAt1080 = 24;
  static constexpr std::int32_t kMaxZoomChange = 2048;

  // What the last Track saw, for tests and tuning.
  struct Counts {
    std::int32_t blocks = 0;    // usable blocks of the ring
    std::int32_t textured = 0;  // of them with texture both ways
    std::int32_t found = 0;     // textured ones whose best match is a clear one
    std::int32_t agreeing = 0;  // found ones the fit explains
    bool wide = false;          // the wide search ran
    bool faint = false;         // looked at again with fainter texture
  };

  // area: the logo's area in frame pixels, whose centre the zoom is about.
  // window: the area and its ring, clipped to the frame. usable: one byte
  // per window pixel, rows top-down, nonzero where the ring may be used.
  // False (and Track answers Unknown) when no block fits or memory is short.
  bool Rebuild(const Rect& area, const Rect& window, const std::uint8_t* usable,
               const FrameGeometry& geometry);
  void Clear();
  bool Ready(const FrameGeometry& geometry) const {
    return ready_ && geometry.width == width_ && geometry.height == height_ &&
           geometry.mode == mode_;
  }

  // Keeps this frame's key samples around the window and compares them with
  // the previous frame's. frame: the whole frame in the geometry's layout.
  SceneMotion Track(const std::uint8_t* frame, const FrameGeometry& geometry);

  const Counts& LastCounts() const { return counts_; }

 private:
  struct Block {
    std::int32_t x, y;    // top-left in the plane (multiples of 4)
    std::int32_t rx, ry;  // its centre less the area's centre, half pixels
  };
  // A block's measure in one frame: its shift to the previous frame in
  // 1/256 pixel, and whether it counts.
  struct Measure {
    std::int32_t dx, dy;
    bool textured, found;
  };
  struct Fit {
    std::int64_t zoom, x, y;  // zoom - 1 in 1/65536, shift in 1/256
  };
  // One level of a pyramid of key samples: the plane, halved `level` times.
  struct Plane {
    std::uint8_t* samples[3] = {};
    bool built[3] = {};
  };

  void KeepEvenShare(Block* blocks);
  void Gather(const std::uint8_t* frame, Plane& plane) const;
  void BuildLevel(Plane& plane, int level) const;
  std::uint32_t Sad(int level, const Block& b, std::int32_t dx, std::int32_t dy) const;
  bool Refine(const Block& b, std::int32_t startX, std::int32_t startY, std::int32_t radius,
              std::int32_t moves, std::uint32_t texture, Measure& m) const;
  bool Fraction(const Block& b, std::int32_t bx, std::int32_t by, Measure& m) const;
  bool Textured(const Block& b, std::uint32_t& texture) const;
  void MeasurePredicted(const Fit& last);
  void MeasureWide();
  SceneMotion Estimate(std::uint32_t flat);
  SceneMotion Decide();
  bool FitBlocks(Fit& fit);
  std::int32_t Agree(const Fit& fit, std::int64_t limit);
  bool LeastSquares(Fit& fit) const;

  bool ready_ = false;
  bool havePrevious_ = false;
  std::int32_t mode_ = 0, width_ = 0, height_ = 0;
  Rect reach_;                // the planes' frame rectangle: the window and the search's reach
  std::int32_t planeWidth_[3] = {}, planeHeight_[3] = {};
  std::int32_t range_ = 0;    // the widest pan, full pixels
  std::int32_t zoomReach_ = 0;  // how far the largest zoom change moves a block, full pixels
  std::int32_t blockCount_ = 0;
  Plane planes_[2];
  int current_ = 0;
  Fit last_{};
  std::uint32_t flat_ = 0;    // the texture a block needs, for this estimate
  Counts counts_;
  ScratchArray<std::uint8_t> storage_;
  ScratchArray<Block> blocks_;
  ScratchArray<Measure> measures_;
  ScratchArray<std::int32_t> scratch_;  // medians
  ScratchArray<std::uint8_t> keep_;    // per block: agrees with the fit
};

}  // namespace kestrimo
