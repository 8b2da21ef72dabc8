// What a logo hides in this frame was often in view beside it a moment ago:
// the camera pans or zooms while the logo stays put. The history keeps the
// latest view of every point of the scene over the logo's area and a ring
// around it, and carries it from frame to frame through the camera's motion,
// as the ring shows it. Pixels in view are taken from the frame as it came;
// pixels under the logo (its mask grown by a margin) from the previous
// history, read where that point of the scene lay a frame before. Each
// history pixel has an age, the frames since its point was last in view; a
// point never seen, seen too long ago, or after a cut or more than
// kCoastFrames frames in a row whose motion the ring cannot explain (or
// fewer, when the motion it tells after them is not the one they were
// carried by), has none, and the fill shows there.
//
// Only past frames are used; the buffers are sized on a rebuild, never per
// frame; all arithmetic is in integers, so the .so and the DLL agree.
#pragma once

#include <cstdint>

#include "base/FrameGeometry.h"
#include "base/ImageBuffer.h"
#include "base/ImageView.h"
#include "base/Rect.h"
#include "base/ScratchArray.h"
#include "mask/LogoRemoval.h"
#include "mask/RingMotion.h"

namespace kestrimo {

class SceneHistory {
 public:
  // Frames a point of the scene is kept after it was last in view.
  static constexpr std::int32_t kMaxAge = 100;
  // Pixels around the mask that count as hidden too (its soft edge, the
  // logo's own halo), and the frame's edge rows and columns, which sources
  // often leave dirty.
  static constexpr std::int32_t kHiddenMargin = 2;
  // Under a mask whose logo has a model, only pixels at least this share
  // (1/4) of the logo's solid opacity are hidden: the picture between a
  // logo's letters is in view, and shows what the letters cover a moment
  // later. Fainter model pixels are mostly the estimate's errors along
  // the scene's edges; a faint shadow a logo casts shows as delivered.
  static constexpr std::int32_t kHiddenShare = 4;
  static constexpr std::int32_t kFrameBorder = 2;
  // The history shows only once the camera has been followed this many
  // frames in a row: the first frames of a shot, where a wrong motion
  // would print the most, keep the fill.
  static constexpr std::int32_t kSteadyFrames = 5;
  // Frames in a row whose motion the ring cannot tell that are carried by
  // the last motion it told, keeping the history for when it tells again;
  // and how far (1/256 pixel, either way, at 1080 lines and scaled with the
  // frame's height) the shift told after them may lie from the one they
  // were carried by. A camera's pan goes on, a little faster or slower; an
  // object that filled the ring and left it does not, and what was carried
  // by its motion is then dropped.
  static constexpr std::int32_t kCoastFrames = 5;
  static constexpr std::int32_t kCoastAgreementAt1080 = 8 * SceneMotion::kShiftUnit;

  // Marks the history for a rebuild on the next frame that needs it.
  void Clear();
  bool Stale() const { return state_ == State::Stale; }
  bool Ready(const FrameGeometry& geometry) const {
    return state_ == State::Ready && geometry.width == width_ && geometry.height == height_ &&
           geometry.mode == mode_;
  }

  // Sizes the window (the area and its ring, inside the frame) and its
  // buffers for the area the mask rebuild left: the frame mask's alpha at
  // maskOrigin, visibleRect its part inside the frame; removal: the
  // channel's logo model, when it has one, rebuilt for the same area.
  // False (and the history then stays empty until the next Clear) when the
  // area is empty, its ring has too little room or memory is short.
  bool Rebuild(const ImageBuffer& frameMask, Point maskOrigin, const Rect& visibleRect,
               const LogoRemoval& removal, const FrameGeometry& geometry);

  // Follows the camera to this frame and keeps what it shows. frame: the
  // frame as the host delivered it, before anything is taken out of it.
  void Follow(const std::uint8_t* frame, const FrameGeometry& geometry);

  // Mixes the area's pixels of the work image (the fill, in the work layout
  // of the frame mode, its corner at maskOrigin) toward the history, by how
  // much of each pixel's neighbourhood the history holds; nothing before
  // kSteadyFrames frames were followed in a row.
  void Paint(ImageView work, Point maskOrigin) const;

  // For tests and tuning: the last frame's motion and the window.
  const SceneMotion& LastMotion() const { return motion_; }
  const Rect& Window() const { return window_; }
  // The age of window pixel (x, y) (frame coordinates), kNoHistory where none.
  std::uint8_t AgeAt(std::int32_t x, std::int32_t y) const;

 private:
  enum class State { Stale, Ready, Failed };

  bool PlaceWindow(const Rect& area);
  bool Allocate();
  void MarkHidden(const ImageBuffer& frameMask, Point maskOrigin, const Rect& visibleRect,
                  const LogoRemoval& removal);
  void GrowHidden();
  void FindSpans();
  void MarkFresh();
  void Carry(std::int32_t j);
  bool Resumes(const SceneMotion& told, const SceneMotion& carried) const;
  std::uint32_t* Values(int plane, std::int32_t j) const;
  std::uint8_t* Ages(int plane, std::int32_t j) const;  // from column -1 to width

  State state_ = State::Stale;
  std::int32_t mode_ = 0, width_ = 0, height_ = 0;
  bool bottomUp_ = false;
  Rect area_, window_;
  std::int32_t w_ = 0, h_ = 0;  // the window's size
  std::int64_t centreX2_ = 0, centreY2_ = 0;  // the area's centre, half pixels
  int current_ = 0;
  bool havePrevious_ = false;
  std::int32_t followed_ = 0;  // frames followed in a row
  std::int32_t coasted_ = 0;   // frames in a row carried by the last motion told
  SceneMotion motion_;         // the ring's answer for the last frame
  SceneMotion carry_;          // the motion the last frame was carried by
  RingMotion ring_;
  ScratchArray<std::uint32_t> values_[2];  // work layout, rows as the layout stores them
  ScratchArray<std::uint8_t> ages_[2];     // (w + 2) x (h + 2), a border of kNoHistory
  ScratchArray<std::uint8_t> fresh_;       // the same: what a frame alone shows (0 or none)
  ScratchArray<std::uint8_t> hidden_;      // w x h, top-down: 1 where not in view
  ScratchArray<std::uint8_t> scratch_;     // w x h: the ring's usable pixels, the growth's pass
  ScratchArray<std::int32_t> spans_;       // per window row: first and end of its hidden pixels
};

}  // namespace kestrimo
