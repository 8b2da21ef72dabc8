#include "mask/RingMotion.h"

#include <algorithm>
#include <cstddef>
#include <cstdlib>

#include "imaging/Kernels.h"

namespace kestrimo {
namespace {

// Fewest blocks that make an answer, and most that are measured: a wide
// ring keeps an even share of its blocks (its corners and sides alike).
constexpr std::int32_t kMinBlocks = 6;
constexpr std::int32_t kMaxBlocks = 192;
// A block is flat below this sum of differences from itself one pixel
// across, down or along a diagonal (about a level a pixel: upscaled and
// soft pictures, out-of-focus backgrounds, still follow). A ring that
// tells no motion so is looked at again down to half a level a pixel
// (sky, haze, bokeh); the fainter blocks would only blur the answer of a
// ring that has enough clearer ones.
constexpr std::uint32_t kFlatSad = 1 * RingMotion::kBlock * RingMotion::kBlock;
constexpr std::uint32_t kFaintSad = kFlatSad / 2;
// A block's best match is a clear one when its sum is at most this share
// (1/2) of the block's own differences one pixel across plus one pixel
// down: a match half a pixel off both ways comes to about that; another
// shot's picture does not.
constexpr std::uint64_t kFoundShare = 2;
// Fewer found blocks than this share (1/5) of the textured ones is a cut.
constexpr std::int32_t kCutShare = 5;
// The predicted motion is kept without the wide search when this share
// (3/5) of the textured blocks agree with it.
constexpr std::int32_t kPredictedShare = 3;
// Distances of a block's shift from the fit (1/256 pixel) within which it
// agrees: loosely about the start, closely about the least squares (and
// at half the close distance for the last fit, when enough blocks lie
// that close).
constexpr std::int64_t kLooseAgreement = 256;
constexpr std::int64_t kCloseAgreement = 128;
// Least spread of the agreeing blocks' centres (root mean square distance
// from their mean, half pixels) that tells a zoom; below it, a shift only.
constexpr std::int64_t kZoomSpread = 64;
// How many blocks the medians of the start look at, and how many pairs of
// blocks are tried as a start.
constexpr std::int32_t kMedianRoom = 256;
constexpr std::int32_t kStartPairs = 32;

std::int64_t DivideRounded(std::int64_t a, std::int64_t b) {  // b > 0
  return a >= 0 ? (a + b / 2) / b : -((-a + b / 2) / b);
}

std::int64_t FloorShift(std::int64_t a, int bits) {  // floor(a / 2^bits)
  return a >= 0 ? a >> bits : -((-a + (std::int64_t{1} << bits) - 1) >> bits);
}

std::int32_t Median(std::int32_t* values, std::int32_t count) {
  std::nth_element(values, values + count / 2, values + count);
  return values[count / 2];
}

}  // namespace

void RingMotion::Clear() {
  ready_ = false;
  havePrevious_ = false;
  counts_ = {};
}

// Of more than kMaxBlocks blocks, kMaxBlocks spread evenly over their order.
void RingMotion::KeepEvenShare(Block* blocks) {
  if (blockCount_ <= kMaxBlocks) return;
  std::int32_t kept = 0;
  for (std::int32_t i = 0; i < blockCount_; ++i)
    if ((std::int64_t{i} + 1) * kMaxBlocks / blockCount_ != std::int64_t{i} * kMaxBlocks / blockCount_)
      blocks[kept++] = blocks[i];
  blockCount_ = kept;
}

bool RingMotion::Rebuild(const Rect& area, const Rect& window, const std::uint8_t* usable,
                         const FrameGeometry& geometry) {
  Clear();
  last_ = {};
  mode_ = geometry.mode;
  width_ = geometry.width;
  height_ = geometry.height;
  const Rect frame{0, 0, ReachableWidth(width_, mode_), height_};
  if (usable == nullptr || area.IsEmpty() || window.IsEmpty() || frame.IsEmpty() ||
      window.left < 0 || window.top < 0 || window.right > frame.right ||
      window.bottom > frame.bottom)
    return false;
  range_ = std::max<std::int32_t>(4, (kPanAt1080 * height_ + 1079) / 1080);
  const std::int64_t centreX2 = std::int64_t{area.left} + area.right - 1;  // half pixels
  const std::int64_t centreY2 = std::int64_t{area.top} + area.bottom - 1;
  const std::int64_t farthest2 =
      std::max({std::abs(2 * window.left - centreX2), std::abs(2 * window.right - centreX2),
                std::abs(2 * window.top - centreY2), std::abs(2 * window.bottom - centreY2)});
  if (farthest2 > 4 * kMaxImagePixels) return false;
  zoomReach_ = static_cast<std::int32_t>((farthest2 * kMaxZoomChange) / (2 * 65536)) + 1;
  const std::int32_t reach = range_ + zoomReach_ + 4;
  Rect grown{window.left - reach, window.top - reach, window.right + reach, window.bottom + reach};
  if (!IntersectRect(reach_, grown, frame)) return false;
  // The block grid starts at the window's corner, on whole pixels of the
  // quarter plane.
  reach_.left += (window.left - reach_.left) % 4;
  reach_.top += (window.top - reach_.top) % 4;
  planeWidth_[0] = reach_.Width();
  planeHeight_[0] = reach_.Height();
  for (int level = 1; level < 3; ++level) {
    planeWidth_[level] = planeWidth_[level - 1] / 2;
    planeHeight_[level] = planeHeight_[level - 1] / 2;
  }
  std::int64_t perPlane = 0;
  for (int level = 0; level < 3; ++level)
    perPlane += (std::int64_t{planeWidth_[level]} * planeHeight_[level] + 15) & ~std::int64_t{15};
  if (2 * perPlane > kMaxImagePixels) return false;

  // Blocks on a grid from the window's corner, wholly usable, with a
  // pixel of plane right of and below them for their own texture.
  const std::int32_t columns = window.Width() / kBlock, rows = window.Height() / kBlock;
  Block* blocks = blocks_.Ensure(std::max(1, columns * rows));
  if (blocks == nullptr) return false;
  blockCount_ = 0;
  for (std::int32_t r = 0; r < rows; ++r) {
    for (std::int32_t c = 0; c < columns; ++c) {
      const std::int32_t x = window.left + c * kBlock, y = window.top + r * kBlock;
      if (x + kBlock >= reach_.right || y + kBlock >= reach_.bottom) continue;
      bool all = true;
      for (std::int32_t j = 0; j < kBlock && all; ++j) {
        const std::uint8_t* row =
            usable + std::ptrdiff_t{y - window.top + j} * window.Width() + (x - window.left);
        for (std::int32_t i = 0; i < kBlock && all; ++i) all = row[i] != 0;
      }
      if (!all) continue;
      blocks[blockCount_++] = {x - reach_.left, y - reach_.top,
                               static_cast<std::int32_t>(2 * x + kBlock - 1 - centreX2),
                               static_cast<std::int32_t>(2 * y + kBlock - 1 - centreY2)};
    }
  }
  if (blockCount_ < kMinBlocks) return false;
  KeepEvenShare(blocks);
  std::uint8_t* storage = storage_.Ensure(static_cast<std::int32_t>(2 * perPlane));
  if (measures_.Ensure(blockCount_) == nullptr || scratch_.Ensure(blockCount_) == nullptr ||
      keep_.Ensure(blockCount_) == nullptr || storage == nullptr)
    return false;
  for (Plane& plane : planes_) {
    for (int level = 0; level < 3; ++level) {
      plane.samples[level] = storage;
      plane.built[level] = false;
      storage += (std::int64_t{planeWidth_[level]} * planeHeight_[level] + 15) & ~std::int64_t{15};
    }
  }
  ready_ = true;
  return true;
}

void RingMotion::Gather(const std::uint8_t* frame, Plane& plane) const {
  const MotionKernels& kernels = KernelsInUse().motion;
  const bool yuv = mode_ == kFrameModeYuy2;
  const std::int32_t bytes = yuv ? 2 : 3;
  const std::ptrdiff_t stride = std::ptrdiff_t{width_} * bytes;
  for (std::int32_t j = 0; j < planeHeight_[0]; ++j) {
    const std::int32_t y = reach_.top + j;
    const std::ptrdiff_t memoryRow = yuv ? y : height_ - 1 - y;
    const std::uint8_t* samples = frame + memoryRow * stride + reach_.left * bytes + (yuv ? 0 : 1);
    kernels.keyRow(samples, bytes, planeWidth_[0],
                   plane.samples[0] + std::ptrdiff_t{j} * planeWidth_[0]);
  }
  plane.built[0] = true;
  plane.built[1] = plane.built[2] = false;
}

void RingMotion::BuildLevel(Plane& plane, int level) const {
  if (plane.built[level]) return;
  const MotionKernels& kernels = KernelsInUse().motion;
  const std::int32_t from = planeWidth_[level - 1];
  for (std::int32_t j = 0; j < planeHeight_[level]; ++j) {
    const std::uint8_t* above = plane.samples[level - 1] + std::ptrdiff_t{2 * j} * from;
    kernels.halveRow(above, above + from, planeWidth_[level],
                     plane.samples[level] + std::ptrdiff_t{j} * planeWidth_[level]);
  }
  plane.built[level] = true;
}

std::uint32_t RingMotion::Sad(int level, const Block& b, std::int32_t dx, std::int32_t dy) const {
  const std::int32_t size = kBlock >> level, w = planeWidth_[level];
  const std::int32_t x = b.x >> level, y = b.y >> level;
  if (x + dx < 0 || y + dy < 0 || x + dx + size > w || y + dy + size > planeHeight_[level])
    return UINT32_MAX;
  const std::uint8_t* now = planes_[current_].samples[level] + std::ptrdiff_t{y} * w + x;
  const std::uint8_t* before =
      planes_[1 - current_].samples[level] + std::ptrdiff_t{y + dy} * w + (x + dx);
  return KernelsInUse().motion.blockSad(now, w, before, w, size, size);
}

// A block has texture when it differs enough from itself one pixel
// across, down and along both diagonals: an edge alone, which tells
// nothing of the motion along it, does not. texture: the first two sums.
bool RingMotion::Textured(const Block& b, std::uint32_t& texture) const {
  const MotionKernels& kernels = KernelsInUse().motion;
  const std::int32_t w = planeWidth_[0];
  const std::uint8_t* now = planes_[current_].samples[0] + std::ptrdiff_t{b.y} * w + b.x;
  const std::uint32_t across = kernels.blockSad(now, w, now + 1, w, kBlock, kBlock);
  const std::uint32_t down = kernels.blockSad(now, w, now + w, w, kBlock, kBlock);
  texture = across + down;
  if (std::min(across, down) < flat_) return false;
  const std::uint32_t falling = kernels.blockSad(now, w, now + w + 1, w, kBlock, kBlock);
  const std::uint32_t rising = kernels.blockSad(now + 1, w, now + w, w, kBlock, kBlock);
  return std::min(falling, rising) >= flat_;
}

// The best whole shift in a square of the given radius about the start,
// moving the square while the best lies on its edge (at most `moves`
// times); then the fraction of a pixel. False when the square leaves the
// planes, or the best stays on the edge.
bool RingMotion::Refine(const Block& b, std::int32_t startX, std::int32_t startY,
                        std::int32_t radius, std::int32_t moves, std::uint32_t texture,
                        Measure& m) const {
  std::uint32_t best = UINT32_MAX;
  std::int32_t bx = startX, by = startY;
  for (;;) {
    best = UINT32_MAX;
    for (std::int32_t dy = -radius; dy <= radius; ++dy) {
      for (std::int32_t dx = -radius; dx <= radius; ++dx) {
        const std::uint32_t sad = Sad(0, b, startX + dx, startY + dy);
        if (sad < best) {
          best = sad;
          bx = startX + dx;
          by = startY + dy;
        }
      }
    }
    if (best == UINT32_MAX) return false;
    if (std::abs(bx - startX) < radius && std::abs(by - startY) < radius) break;
    if (moves-- <= 0) return false;
    startX = bx;
    startY = by;
  }
  m.found = std::uint64_t{best} * kFoundShare <= texture && Fraction(b, bx, by, m);
  return true;
}

// The fraction of a pixel from the curvature of the sums of squared
// differences about the best whole shift: the least of the quadratic
// through the nine sums (gradient from the sums either side, curvatures
// from the three in a row and the four on the diagonals). The squares'
// sum, unlike the absolute one, is a quadratic in the shift where the
// picture is smooth, so the fit holds across as well as along the axes.
// False when the sums do not curve upwards both ways. An exact match is
// a whole shift.
bool RingMotion::Fraction(const Block& b, std::int32_t bx, std::int32_t by, Measure& m) const {
  const MotionKernels& kernels = KernelsInUse().motion;
  const std::int32_t w = planeWidth_[0];
  // The nine blocks about the best shift, each a pixel on, must lie in the
  // plane: a best shift on the plane's edge has no sums beyond it.
  if (b.x + bx - 1 < 0 || b.y + by - 1 < 0 || b.x + bx + kBlock + 1 > w ||
      b.y + by + kBlock + 1 > planeHeight_[0])
    return false;
  const std::uint8_t* now = planes_[current_].samples[0] + std::ptrdiff_t{b.y} * w + b.x;
  std::int64_t q[3][3];
  for (std::int32_t j = 0; j < 3; ++j) {
    for (std::int32_t i = 0; i < 3; ++i) {
      const std::uint8_t* before = planes_[1 - current_].samples[0] +
                                   std::ptrdiff_t{b.y + by + j - 1} * w + (b.x + bx + i - 1);
      q[j][i] = kernels.blockSsd(now, w, before, w, kBlock, kBlock);
    }
  }
  m.dx = bx * SceneMotion::kShiftUnit;
  m.dy = by * SceneMotion::kShiftUnit;
  if (q[1][1] == 0) return true;
  const std::int64_t gx2 = q[1][2] - q[1][0], gy2 = q[2][1] - q[0][1];  // twice the gradient
  const std::int64_t hxx = q[1][2] - 2 * q[1][1] + q[1][0];
  const std::int64_t hyy = q[2][1] - 2 * q[1][1] + q[0][1];
  const std::int64_t hxy4 = q[2][2] - q[0][2] - q[2][0] + q[0][0];  // four times across
  const std::int64_t det16 = 16 * hxx * hyy - hxy4 * hxy4;
  if (hxx <= 0 || hyy <= 0 || det16 <= 0) return false;
  // (x, y) = -H^-1 g, times det16 / 256 over det16.
  const std::int64_t x = -(8 * hyy * gx2 - 2 * hxy4 * gy2) * SceneMotion::kShiftUnit;
  const std::int64_t y = -(8 * hxx * gy2 - 2 * hxy4 * gx2) * SceneMotion::kShiftUnit;
  const std::int64_t limit = SceneMotion::kShiftUnit;  // within a pixel of the whole shift
  m.dx += static_cast<std::int32_t>(std::clamp(DivideRounded(x, det16), -limit, limit));
  m.dy += static_cast<std::int32_t>(std::clamp(DivideRounded(y, det16), -limit, limit));
  return true;
}

// Each textured block about where the last motion puts it: a square of
// 3 x 3 whole shifts, moved once when the best lies on its edge.
void RingMotion::MeasurePredicted(const Fit& last) {
  const Block* blocks = blocks_.Data();
  Measure* measures = measures_.Data();
  for (std::int32_t i = 0; i < blockCount_; ++i) {
    const Block& b = blocks[i];
    Measure& m = measures[i];
    std::uint32_t texture = 0;
    m = {0, 0, Textured(b, texture), false};
    if (!m.textured) continue;
    const std::int64_t px = FloorShift(last.zoom * b.rx, 9) + last.x;  // 1/256 pixel
    const std::int64_t py = FloorShift(last.zoom * b.ry, 9) + last.y;
    const auto whole = [](std::int64_t v) { return static_cast<std::int32_t>(FloorShift(v + 128, 8)); };
    if (!Refine(b, whole(px), whole(py), 1, 1, texture, m)) m.found = false;
  }
}

// The ring's best common shift at a quarter of the resolution, over rows of
// neighbouring blocks; then each textured block at half the resolution
// about it, as far as the largest zoom moves it, and at full resolution.
void RingMotion::MeasureWide() {
  for (Plane& plane : planes_) {
    BuildLevel(plane, 1);
    BuildLevel(plane, 2);
  }
  const MotionKernels& kernels = KernelsInUse().motion;
  const Block* blocks = blocks_.Data();
  const std::int32_t w = planeWidth_[2], h = planeHeight_[2], size = kBlock >> 2;
  const std::int32_t quarterRange = (range_ + 3) / 4;
  std::int64_t allPixels = std::int64_t{blockCount_} * size * size;
  std::uint64_t bestScore = UINT64_MAX;
  std::int32_t gx = 0, gy = 0;
  for (std::int32_t dy = -quarterRange; dy <= quarterRange; ++dy) {
    for (std::int32_t dx = -quarterRange; dx <= quarterRange; ++dx) {
      std::uint64_t total = 0;
      std::int64_t pixels = 0;
      for (std::int32_t i = 0; i < blockCount_;) {
        std::int32_t end = i + 1;
        while (end < blockCount_ && blocks[end].y == blocks[i].y &&
               blocks[end].x == blocks[end - 1].x + kBlock)
          ++end;
        const std::int32_t x = blocks[i].x >> 2, y = blocks[i].y >> 2, run = (end - i) * size;
        if (x + dx >= 0 && y + dy >= 0 && x + dx + run <= w && y + dy + size <= h) {
          total += kernels.blockSad(planes_[current_].samples[2] + std::ptrdiff_t{y} * w + x, w,
                                    planes_[1 - current_].samples[2] +
                                        std::ptrdiff_t{y + dy} * w + (x + dx),
                                    w, run, size);
          pixels += std::int64_t{run} * size;
        }
        i = end;
      }
      if (2 * pixels < allPixels) continue;
      const std::uint64_t score = total * 4096 / static_cast<std::uint64_t>(pixels);
      if (score < bestScore) {
        bestScore = score;
        gx = dx;
        gy = dy;
      }
    }
  }
  const std::int32_t halfRadius = 2 + (zoomReach_ + 1) / 2;
  Measure* measures = measures_.Data();
  for (std::int32_t i = 0; i < blockCount_; ++i) {
    const Block& b = blocks[i];
    Measure& m = measures[i];
    std::uint32_t texture = 0;
    m = {0, 0, Textured(b, texture), false};
    if (!m.textured) continue;
    std::uint32_t best = UINT32_MAX;
    std::int32_t hx = 2 * gx, hy = 2 * gy;
    for (std::int32_t dy = -halfRadius; dy <= halfRadius; ++dy) {
      for (std::int32_t dx = -halfRadius; dx <= halfRadius; ++dx) {
        const std::uint32_t sad = Sad(1, b, 2 * gx + dx, 2 * gy + dy);
        if (sad < best) {
          best = sad;
          hx = 2 * gx + dx;
          hy = 2 * gy + dy;
        }
      }
    }
    if (best == UINT32_MAX || !Refine(b, 2 * hx, 2 * hy, 1, 3, texture, m)) m.found = false;
  }
}

// Which found blocks lie within `limit` (1/256 pixel) of the fit; marks them.
std::int32_t RingMotion::Agree(const Fit& fit, std::int64_t limit) {
  const Block* blocks = blocks_.Data();
  const Measure* measures = measures_.Data();
  std::uint8_t* keep = keep_.Data();
  std::int32_t agreeing = 0;
  for (std::int32_t i = 0; i < blockCount_; ++i) {
    keep[i] = 0;
    if (!measures[i].found) continue;
    // In 1/(256 * 512) pixel: the zoom's term without rounding.
    const std::int64_t ex = 512 * (measures[i].dx - fit.x) - fit.zoom * blocks[i].rx;
    const std::int64_t ey = 512 * (measures[i].dy - fit.y) - fit.zoom * blocks[i].ry;
    if (ex * ex + ey * ey <= (512 * limit) * (512 * limit)) {
      keep[i] = 1;
      ++agreeing;
    }
  }
  return agreeing;
}

// The least-squares zoom and shift of the kept blocks; a shift only when
// their centres lie too close together to tell a zoom.
bool RingMotion::LeastSquares(Fit& fit) const {
  const Block* blocks = blocks_.Data();
  const Measure* measures = measures_.Data();
  const std::uint8_t* keep = keep_.Data();
  std::int64_t n = 0, rx = 0, ry = 0, dx = 0, dy = 0, rd = 0, rr = 0;
  for (std::int32_t i = 0; i < blockCount_; ++i) {
    if (keep[i] == 0) continue;
    const Block& b = blocks[i];
    const Measure& m = measures[i];
    ++n;
    rx += b.rx;
    ry += b.ry;
    dx += m.dx;
    dy += m.dy;
    rd += std::int64_t{b.rx} * m.dx + std::int64_t{b.ry} * m.dy;
    rr += std::int64_t{b.rx} * b.rx + std::int64_t{b.ry} * b.ry;
  }
  if (n < kMinBlocks) return false;
  const std::int64_t variance = n * rr - rx * rx - ry * ry;  // n^2 times the spread squared
  const std::int64_t covariance = n * rd - rx * dx - ry * dy;
  fit.zoom = variance >= n * n * kZoomSpread * kZoomSpread ? DivideRounded(512 * covariance, variance) : 0;
  fit.x = DivideRounded(512 * dx - fit.zoom * rx, 512 * n);
  fit.y = DivideRounded(512 * dy - fit.zoom * ry, 512 * n);
  return true;
}

// A start robust to blocks that move otherwise: the medians of the shifts
// (a pan), or the zoom and shift two blocks far apart tell, whichever most
// blocks agree with; then least squares over the blocks near that, twice.
bool RingMotion::FitBlocks(Fit& fit) {
  const Block* blocks = blocks_.Data();
  const Measure* measures = measures_.Data();
  std::int32_t* found = scratch_.Data();
  std::int32_t n = 0;
  for (std::int32_t i = 0; i < blockCount_; ++i)
    if (measures[i].found) found[n++] = i;
  if (n < kMinBlocks) return false;
  // The medians of at most kMedianRoom of the found blocks, evenly spread.
  std::int32_t xs[kMedianRoom], ys[kMedianRoom];
  const std::int32_t sampled = std::min(n, kMedianRoom);
  for (std::int32_t k = 0; k < sampled; ++k) {
    const Measure& m = measures[found[static_cast<std::int64_t>(k) * n / sampled]];
    xs[k] = m.dx;
    ys[k] = m.dy;
  }
  Fit best{0, Median(xs, sampled), Median(ys, sampled)};
  std::int32_t bestAgreeing = Agree(best, kLooseAgreement);
  const std::int32_t pairs = std::min(n, kStartPairs);
  for (std::int32_t k = 0; k < pairs; ++k) {
    const std::int32_t first = static_cast<std::int32_t>(static_cast<std::int64_t>(k) * n / pairs);
    for (const std::int32_t apart : {n / 2, n / 3}) {
      const Block& a = blocks[found[first]];
      const Block& b = blocks[found[(first + apart) % n]];
      const Measure& ma = measures[found[first]];
      const Measure& mb = measures[found[(first + apart) % n]];
      const std::int64_t rx = a.rx - b.rx, ry = a.ry - b.ry, rr = rx * rx + ry * ry;
      if (rr < 4 * kZoomSpread * kZoomSpread) continue;
      Fit candidate;
      candidate.zoom = DivideRounded(512 * ((ma.dx - mb.dx) * rx + (ma.dy - mb.dy) * ry), rr);
      if (std::abs(candidate.zoom) > 2 * kMaxZoomChange) continue;
      candidate.x = DivideRounded(512 * (std::int64_t{ma.dx} + mb.dx) - candidate.zoom * (a.rx + b.rx), 1024);
      candidate.y = DivideRounded(512 * (std::int64_t{ma.dy} + mb.dy) - candidate.zoom * (a.ry + b.ry), 1024);
      const std::int32_t agreeing = Agree(candidate, kLooseAgreement);
      if (agreeing > bestAgreeing) {
        best = candidate;
        bestAgreeing = agreeing;
      }
    }
  }
  fit = best;
  if (Agree(fit, kLooseAgreement) < kMinBlocks || !LeastSquares(fit)) return false;
  if (Agree(fit, kCloseAgreement) < kMinBlocks || !LeastSquares(fit)) return false;
  counts_.agreeing = Agree(fit, kCloseAgreement);
  // The closest blocks alone, when there are enough of them.
  Fit closest = fit;
  if (Agree(closest, kCloseAgreement / 2) >= std::max(kMinBlocks, counts_.agreeing / 2) &&
      LeastSquares(closest))
    fit = closest;
  return true;
}

SceneMotion RingMotion::Decide() {
  const Measure* measures = measures_.Data();
  counts_.textured = counts_.found = counts_.agreeing = 0;
  for (std::int32_t i = 0; i < blockCount_; ++i) {
    counts_.textured += measures[i].textured;
    counts_.found += measures[i].found;
  }
  SceneMotion motion;
  if (counts_.textured < kMinBlocks) return motion;
  if (counts_.found * kCutShare < counts_.textured) {
    motion.kind = SceneMotion::Kind::Cut;
    return motion;
  }
  Fit fit{};
  if (!FitBlocks(fit) || counts_.agreeing * 5 < counts_.textured * 2) return motion;
  const std::int64_t farthest = std::int64_t{range_ + zoomReach_} * SceneMotion::kShiftUnit;
  if (std::abs(fit.zoom) > kMaxZoomChange + kMaxZoomChange / 4 || std::abs(fit.x) > farthest ||
      std::abs(fit.y) > farthest)
    return motion;
  motion.kind = SceneMotion::Kind::Tracked;
  motion.shiftX = static_cast<std::int32_t>(fit.x);
  motion.shiftY = static_cast<std::int32_t>(fit.y);
  motion.zoom = static_cast<std::int32_t>(SceneMotion::kZoomUnit + fit.zoom);
  return motion;
}

SceneMotion RingMotion::Track(const std::uint8_t* frame, const FrameGeometry& geometry) {
  counts_ = {};
  if (!Ready(geometry) || frame == nullptr) return {};
  counts_.blocks = blockCount_;
  current_ = 1 - current_;
  Gather(frame, planes_[current_]);
  if (!havePrevious_) {
    havePrevious_ = true;
    last_ = {};
    return {};
  }
  SceneMotion motion = Estimate(kFlatSad);
  if (motion.kind == SceneMotion::Kind::Unknown) {
    motion = Estimate(kFaintSad);
    counts_.faint = true;
  }
  last_ = {};
  if (motion.kind == SceneMotion::Kind::Tracked)
    last_ = {motion.zoom - SceneMotion::kZoomUnit, motion.shiftX, motion.shiftY};
  return motion;
}

// The motion from the blocks with texture above `flat`: about where the
// last motion puts them, and by the wide search when too few agree there.
SceneMotion RingMotion::Estimate(std::uint32_t flat) {
  flat_ = flat;
  counts_.wide = false;
  MeasurePredicted(last_);
  SceneMotion motion = Decide();
  if (counts_.textured >= kMinBlocks &&
      (motion.kind != SceneMotion::Kind::Tracked ||
       counts_.agreeing * 5 < counts_.textured * kPredictedShare)) {
    const SceneMotion predicted = motion;
    const Counts predictedCounts = counts_;
    MeasureWide();
    motion = Decide();
    counts_.wide = true;
    if (predicted.kind == SceneMotion::Kind::Tracked &&
        (motion.kind != SceneMotion::Kind::Tracked ||
         predictedCounts.agreeing > counts_.agreeing)) {
      motion = predicted;
      counts_ = predictedCounts;
      counts_.wide = true;
    }
  }
  return motion;
}

}  // namespace kestrimo
