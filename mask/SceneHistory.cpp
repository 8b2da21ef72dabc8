#include "mask/SceneHistory.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "imaging/AreaPlan.h"
#include "imaging/FrameConversion.h"
#include "imaging/Kernels.h"

namespace kestrimo {
namespace {

// The ring around the area: room for the ring's motion blocks and for a
// frame's largest motion, a little wider at HD.
std::int32_t RingWidth(std::int32_t frameHeight) { return 32 + 32 * frameHeight / 1080; }

// The carry's source arithmetic stays within 32 bits when every window
// pixel lies within this many half pixels of the area's centre; and the
// history's memory (about 13 bytes a window pixel) stays bounded.
constexpr std::int64_t kMaxReach2 = 16384;
constexpr std::int64_t kMaxWindowPixels = std::int64_t{1} << 22;

std::int32_t LayoutOf(std::int32_t mode) {
  return mode == kFrameModeYuy2 ? kLayoutYuv : kLayoutBgrLuma;
}

std::int32_t Floor512(std::int64_t v) { return static_cast<std::int32_t>(v >> 9); }

}  // namespace

void SceneHistory::Clear() {
  state_ = State::Stale;
  havePrevious_ = false;
  followed_ = coasted_ = 0;
  motion_ = carry_ = {};
  ring_.Clear();
}

bool SceneHistory::Rebuild(const ImageBuffer& frameMask, Point maskOrigin, const Rect& visibleRect,
                           const LogoRemoval& removal, const FrameGeometry& geometry) {
  Clear();
  state_ = State::Failed;
  mode_ = geometry.mode;
  width_ = geometry.width;
  height_ = geometry.height;
  if (mode_ != kFrameModeYuy2 && mode_ != kFrameModeBgr) return false;
  bottomUp_ = IsBottomUpLayout(LayoutOf(mode_));
  const Rect area{maskOrigin.x + visibleRect.left, maskOrigin.y + visibleRect.top,
                  maskOrigin.x + visibleRect.right, maskOrigin.y + visibleRect.bottom};
  if (!PlaceWindow(area) || !Allocate()) return false;
  MarkHidden(frameMask, maskOrigin, visibleRect, removal);
  GrowHidden();
  FindSpans();
  MarkFresh();
  std::uint8_t* usable = scratch_.Data();
  for (std::int64_t i = 0; i < std::int64_t{w_} * h_; ++i) usable[i] = hidden_.Data()[i] == 0;
  if (!ring_.Rebuild(area_, window_, usable, geometry)) return false;
  state_ = State::Ready;
  return true;
}

bool SceneHistory::PlaceWindow(const Rect& area) {
  const Rect frame{0, 0, ReachableWidth(width_, mode_), height_};
  if (!IntersectRect(area_, area, frame)) return false;
  const std::int32_t ring = RingWidth(height_);
  const Rect grown{area_.left - ring, area_.top - ring, area_.right + ring, area_.bottom + ring};
  if (!IntersectRect(window_, grown, frame)) return false;
  w_ = window_.Width();
  h_ = window_.Height();
  centreX2_ = std::int64_t{area_.left} + area_.right - 1;
  centreY2_ = std::int64_t{area_.top} + area_.bottom - 1;
  const std::int64_t reach2 =
      std::max({std::abs(2 * window_.left - centreX2_), std::abs(2 * window_.right - centreX2_),
                std::abs(2 * window_.top - centreY2_), std::abs(2 * window_.bottom - centreY2_)});
  return reach2 <= kMaxReach2 && std::int64_t{w_} * h_ <= kMaxWindowPixels;
}

bool SceneHistory::Allocate() {
  const std::int32_t pixels = w_ * h_, padded = (w_ + 2) * (h_ + 2);
  for (int p = 0; p < 2; ++p)
    if (values_[p].Ensure(pixels) == nullptr || ages_[p].Ensure(padded) == nullptr) return false;
  return hidden_.Ensure(pixels) != nullptr && scratch_.Ensure(pixels) != nullptr &&
         fresh_.Ensure(padded) != nullptr && spans_.Ensure(2 * h_) != nullptr;
}

// Hidden: under the mask where the logo's model, if any, is not clear,
// and the frame's edge.
void SceneHistory::MarkHidden(const ImageBuffer& frameMask, Point maskOrigin,
                              const Rect& visibleRect, const LogoRemoval& removal) {
  std::uint8_t* hidden = hidden_.Data();
  const std::int32_t solid = removal.Mapped() ? removal.SolidOpacity() : 0;
  for (std::int32_t j = 0; j < h_; ++j) {
    const std::int32_t y = window_.top + j;
    const bool edgeRow = y < kFrameBorder || y >= height_ - kFrameBorder;
    const std::int32_t reachable = ReachableWidth(width_, mode_);
    for (std::int32_t i = 0; i < w_; ++i) {
      const std::int32_t x = window_.left + i;
      const std::int32_t mx = x - maskOrigin.x, my = y - maskOrigin.y;
      bool under = mx >= visibleRect.left && mx < visibleRect.right && my >= visibleRect.top &&
                   my < visibleRect.bottom &&
                   (*frameMask.PixelAt(frameMask.rect.left + mx, frameMask.rect.top + my) >> 24) != 0 &&
                   kHiddenShare * removal.ModelAt(mx, my).opacity >= solid;
      hidden[j * w_ + i] = under || edgeRow || x < kFrameBorder || x >= reachable - kFrameBorder;
    }
  }
}

// The mask grown by kHiddenMargin each way (a square), rows then columns.
void SceneHistory::GrowHidden() {
  std::uint8_t* hidden = hidden_.Data();
  std::uint8_t* pass = scratch_.Data();
  const std::int32_t m = kHiddenMargin;
  for (std::int32_t j = 0; j < h_; ++j)
    for (std::int32_t i = 0; i < w_; ++i) {
      std::uint8_t any = 0;
      for (std::int32_t k = std::max(0, i - m); k <= std::min(w_ - 1, i + m); ++k)
        any |= hidden[j * w_ + k];
      pass[j * w_ + i] = any;
    }
  for (std::int32_t j = 0; j < h_; ++j)
    for (std::int32_t i = 0; i < w_; ++i) {
      std::uint8_t any = 0;
      for (std::int32_t k = std::max(0, j - m); k <= std::min(h_ - 1, j + m); ++k)
        any |= pass[k * w_ + i];
      hidden[j * w_ + i] = any;
    }
}

void SceneHistory::FindSpans() {
  const std::uint8_t* hidden = hidden_.Data();
  std::int32_t* spans = spans_.Data();
  for (std::int32_t j = 0; j < h_; ++j) {
    std::int32_t first = w_, end = 0;
    for (std::int32_t i = 0; i < w_; ++i)
      if (hidden[j * w_ + i] != 0) {
        first = std::min(first, i);
        end = i + 1;
      }
    spans[2 * j] = first < end ? first : 0;
    spans[2 * j + 1] = end;
  }
}

// The ages of a frame without a history: 0 in view, none elsewhere.
void SceneHistory::MarkFresh() {
  std::uint8_t* fresh = fresh_.Data();
  std::memset(fresh, kNoHistory, std::size_t(w_ + 2) * (h_ + 2));
  for (std::int32_t j = 0; j < h_; ++j)
    for (std::int32_t i = 0; i < w_; ++i)
      fresh[std::ptrdiff_t{j + 1} * (w_ + 2) + 1 + i] = hidden_.Data()[j * w_ + i] != 0 ? kNoHistory : 0;
}

std::uint32_t* SceneHistory::Values(int plane, std::int32_t j) const {
  const std::int32_t memoryRow = bottomUp_ ? h_ - 1 - j : j;
  return values_[plane].Data() + std::ptrdiff_t{memoryRow} * w_;
}

std::uint8_t* SceneHistory::Ages(int plane, std::int32_t j) const {
  return ages_[plane].Data() + std::ptrdiff_t{j + 1} * (w_ + 2) + 1;
}

std::uint8_t SceneHistory::AgeAt(std::int32_t x, std::int32_t y) const {
  if (state_ != State::Ready || x < window_.left || x >= window_.right || y < window_.top ||
      y >= window_.bottom)
    return kNoHistory;
  return Ages(current_, y - window_.top)[x - window_.left];
}

// Whether the motion told after frames carried by `carried` goes on from it.
bool SceneHistory::Resumes(const SceneMotion& told, const SceneMotion& carried) const {
  const std::int32_t near = std::max(kCoastAgreementAt1080 * height_ / 1080, SceneMotion::kShiftUnit);
  return std::abs(told.shiftX - carried.shiftX) <= near &&
         std::abs(told.shiftY - carried.shiftY) <= near &&
         std::abs(told.zoom - carried.zoom) <= RingMotion::kMaxZoomChange;
}

void SceneHistory::Follow(const std::uint8_t* frame, const FrameGeometry& geometry) {
  if (!Ready(geometry) || frame == nullptr) return;
  motion_ = ring_.Track(frame, geometry);
  // A frame whose motion the ring cannot tell is carried by the last one it
  // could (a camera's motion changes little from frame to frame) and shows
  // the fill; more such frames in a row, a cut, or a motion told after them
  // that does not go on from the carried one, drop the history.
  bool carried = havePrevious_ && motion_.kind == SceneMotion::Kind::Tracked &&
                 (coasted_ == 0 || Resumes(motion_, carry_));
  if (carried) {
    carry_ = motion_;
    ++followed_;
    coasted_ = 0;
  } else if (havePrevious_ && motion_.kind == SceneMotion::Kind::Unknown && followed_ > 0 &&
             coasted_ < kCoastFrames) {
    carried = true;
    ++coasted_;
  } else {
    followed_ = coasted_ = 0;
  }
  current_ = 1 - current_;
  ExtractArea(frame, geometry, {window_.left, window_.top},
              {values_[current_].Data(), {w_, h_}, {0, 0, w_, h_}}, LayoutOf(mode_));
  std::memcpy(ages_[current_].Data(), fresh_.Data(), std::size_t(w_ + 2) * (h_ + 2));
  if (carried)
    for (std::int32_t j = 0; j < h_; ++j) Carry(j);
  havePrevious_ = true;
}

// Row j's hidden pixels from the previous history, at the points of the
// scene they showed a frame before.
void SceneHistory::Carry(std::int32_t j) {
  const std::int32_t first = spans_.Data()[2 * j], end = spans_.Data()[2 * j + 1];
  if (first >= end) return;
  const int previous = 1 - current_;
  const std::int64_t zoom = carry_.zoom;
  const std::int32_t sourceY = static_cast<std::int32_t>(
      centreY2_ * 128 - std::int64_t{256} * window_.top + carry_.shiftY +
      Floor512(zoom * (2 * (window_.top + j) - centreY2_)));
  const std::int32_t row = sourceY >> 8;
  HistorySource source{};
  if (row >= 0 && row < h_) {
    source.above = Values(previous, row);
    source.aboveAges = Ages(previous, row);
  }
  if (row + 1 >= 0 && row + 1 < h_) {
    source.below = Values(previous, row + 1);
    source.belowAges = Ages(previous, row + 1);
  }
  source.down = sourceY & 255;
  source.width = w_;
  source.origin = static_cast<std::int32_t>(centreX2_ * 128 - std::int64_t{256} * window_.left +
                                            carry_.shiftX);
  source.start = static_cast<std::int32_t>(zoom * (2 * (window_.left + first) - centreX2_));
  source.step = static_cast<std::int32_t>(2 * zoom);
  KernelsInUse().history.carryRow(source, hidden_.Data() + std::ptrdiff_t{j} * w_ + first,
                                  end - first, kMaxAge, Values(current_, j) + first,
                                  Ages(current_, j) + first);
}

void SceneHistory::Paint(ImageView work, Point maskOrigin) const {
  if (state_ != State::Ready || !havePrevious_ || work.pixels == nullptr) return;
  if (followed_ < kSteadyFrames || coasted_ > 0) return;
  const HistoryKernels& kernels = KernelsInUse().history;
  const std::int32_t count = area_.Width();
  for (std::int32_t y = area_.top; y < area_.bottom; ++y) {
    const std::int32_t j = y - window_.top, i = area_.left - window_.left;
    const std::int32_t wy = work.rect.top + y - maskOrigin.y;
    const std::int32_t wx = work.rect.left + area_.left - maskOrigin.x;
    if (wy < 0 || wy >= work.alloc.height || wx < 0 || wx + count > work.alloc.width) continue;
    const std::int32_t memoryRow = bottomUp_ ? work.alloc.height - 1 - wy : wy;
    const std::uint8_t* const ages[3] = {Ages(current_, j - 1) + i, Ages(current_, j) + i,
                                         Ages(current_, j + 1) + i};
    kernels.mixRow(Values(current_, j) + i, ages, count,
                   work.pixels + std::ptrdiff_t{memoryRow} * work.alloc.width + wx);
  }
}

}  // namespace kestrimo
