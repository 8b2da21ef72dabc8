#include "mask/LogoRemoval.h"

#include <algorithm>
#include <cstring>
#include <numeric>

#include "imaging/ColourCoefficients.h"
#include "imaging/Kernels.h"

namespace kestrimo {
namespace {

constexpr std::int32_t kSlack = 25;
constexpr std::int32_t kFullTrust = 256;
constexpr std::int32_t kOffsetUnits = 16;  // offset in 1/16 of a level
constexpr SubtractCoefficient kIdentity = SubtractPair(kSubtractUnitGain, 0);
// A footprint's units, so that the products of a 4:2:2 pair's sums (twice
// a footprint's) stay within 63 bits with room for the rounding: the gain's
// numerator 4096 * 255 * total and the offset's 16 * (opacity times colour),
// at most 16 * 255 * 255 * total. A model that needs more is refused, and
// the channel fills as without it.
constexpr std::int64_t kMaxFootprintUnits = INT64_MAX / (4 * kSubtractUnitGain * 255);
static_assert(kOffsetUnits * 255 * 255 <= kSubtractUnitGain * 255);

// Rounded to the nearest, halves away from zero; den > 0.
std::int64_t DivideRounded(std::int64_t num, std::int64_t den) {
  return num >= 0 ? (num + den / 2) / den : -((-num + den / 2) / den);
}

std::uint8_t ClampLevel(std::int32_t v) {
  return static_cast<std::uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
}

// The plug-in's own BGR to YUV conversion of one colour.
std::int32_t Weigh(BgrWeights w, std::int32_t b, std::int32_t g, std::int32_t r) {
  return (w.b * b + w.g * g + w.r * r) >> kBgrWeightShift;
}

// Cells of `axis` that area pixel p overlaps, with the length of each overlap.
template <typename Axis, typename Visit>
void ForEachCell(const Axis& axis, std::int32_t p, Visit visit) {
  const std::int64_t from = p * axis.pixel, to = from + axis.pixel;
  std::int64_t j = from > axis.origin ? (from - axis.origin) / axis.cell : 0;
  for (; j < axis.cells && axis.origin + j * axis.cell < to; ++j) {
    const std::int64_t start = axis.origin + j * axis.cell;
    const std::int64_t weight = std::min(to, start + axis.cell) - std::max(from, start);
    if (weight > 0) visit(static_cast<std::int32_t>(j), weight);
  }
}

// The area's pixels inside the frame (columns up to `width`, the reachable
// ones): its visible part, which the mask's clipping leaves whole when none
// of the area lies in the frame.
Rect InsideFrame(const RemovalArea& area, std::int32_t width, std::int32_t height) {
  const Rect& v = area.visible;
  const std::int64_t left = std::max<std::int64_t>(v.left, -std::int64_t{area.origin.x});
  const std::int64_t top = std::max<std::int64_t>(v.top, -std::int64_t{area.origin.y});
  const std::int64_t right = std::min<std::int64_t>(v.right, std::int64_t{width} - area.origin.x);
  const std::int64_t bottom =
      std::min<std::int64_t>(v.bottom, std::int64_t{height} - area.origin.y);
  if (left >= right || top >= bottom) return {};
  return {static_cast<std::int32_t>(left), static_cast<std::int32_t>(top),
          static_cast<std::int32_t>(right), static_cast<std::int32_t>(bottom)};
}

}  // namespace

void LogoRemoval::Footprint::Add(const Footprint& other) {
  total += other.total;
  covered += other.covered;
  opacity += other.opacity;
  for (int k = 0; k < 3; ++k) colour[k] += other.colour[k];
}

void LogoRemoval::Load(std::string& fileName) {
  Clear();
  bool outOfMemory = false;
  if (!LoadModelPicture(fileName, Model, &outOfMemory) && !outOfMemory) fileName.clear();
}

std::int32_t LogoRemoval::SolidOpacity() const {
  std::uint32_t highest = 0;
  for (const std::uint32_t p : Model.pixels) highest = std::max(highest, p >> 24);
  std::int64_t counts[256] = {}, solid = 0;
  for (const std::uint32_t p : Model.pixels) {
    if (p >> 24 == 0 || 10 * (p >> 24) < 6 * highest) continue;
    ++counts[p >> 24];
    ++solid;
  }
  std::int64_t below = 0;
  for (std::int32_t a = 0; a < 256; ++a) {
    below += counts[a];
    if (below > 0 && 2 * below >= solid) return a;
  }
  return 0;  // no logo at all
}

// True when the solid part has a median opacity under kOpaqueLogo.
bool LogoRemoval::Subtractable() const {
  const std::int32_t solid = SolidOpacity();
  return solid > 0 && solid < kOpaqueLogo;
}

// Per model pixel its opacity and its colour in the frame's samples: Y, U, V
// as the plug-in converts BGR, or B, G, R.
bool LogoRemoval::PrepareModel(std::int32_t mode) {
  const std::int64_t count = std::int64_t{Model.width} * Model.height;
  std::uint8_t* out = samples_.Ensure(static_cast<std::int32_t>(4 * count));
  if (out == nullptr) return false;
  for (std::int64_t i = 0; i < count; ++i, out += 4) {
    const std::uint32_t p = Model.pixels[static_cast<std::size_t>(i)];
    const std::int32_t b = p & 0xFF, g = (p >> 8) & 0xFF, r = (p >> 16) & 0xFF;
    out[0] = static_cast<std::uint8_t>(p >> 24);
    if (mode == kFrameModeYuy2) {
      out[1] = ClampLevel(Weigh(kLumaWeights, b, g, r));
      out[2] = ClampLevel(Weigh(kCbWeights, b, g, r) + kChromaOffset);
      out[3] = ClampLevel(Weigh(kCrWeights, b, g, r) + kChromaOffset);
    } else {
      out[1] = static_cast<std::uint8_t>(b);
      out[2] = static_cast<std::uint8_t>(g);
      out[3] = static_cast<std::uint8_t>(r);
    }
  }
  return true;
}

// Pixel p covers [p * base, (p + 1) * base) raster pixels in units of
// 1 / area; the model's `cells` span the extent, centred in the base mask.
// Reduced by the common divisor of every boundary, so that a model of the
// area's own size needs one unit per pixel.
bool LogoRemoval::ModelAxis::Map(std::int32_t base, std::int32_t extent, std::int32_t area,
                                 std::int32_t modelCells) {
  if (base < 1 || extent < 1 || area < 1 || modelCells < 1) return false;
  const std::int32_t room = base - extent;
  const std::int64_t offset = room >= 0 ? room / 2 : -((1 - room) / 2);  // floor(room / 2)
  pixel = std::int64_t{base} * modelCells;
  origin = offset * area * modelCells;
  cell = std::int64_t{extent} * area;
  const std::int64_t divisor = std::gcd(std::gcd(pixel, cell), origin < 0 ? -origin : origin);
  pixel /= divisor;
  origin /= divisor;
  cell /= divisor;
  cells = modelCells;
  return true;
}

LogoRemoval::Footprint LogoRemoval::FootprintOf(std::int32_t x, std::int32_t y) const {
  Footprint f;
  f.total = axisX_.pixel * axisY_.pixel;
  const std::uint8_t* model = samples_.Data();
  ForEachCell(axisY_, y, [&](std::int32_t my, std::int64_t wy) {
    ForEachCell(axisX_, x, [&](std::int32_t mx, std::int64_t wx) {
      const std::uint8_t* m = model + 4 * (static_cast<std::size_t>(my) * Model.width + mx);
      const std::int64_t w = wx * wy;
      f.covered += w;
      f.opacity += w * m[0];
      for (int k = 0; k < 3; ++k) f.colour[k] += w * m[0] * m[k + 1];
    });
  });
  return f;
}

// 0..256: full below kTrustedOpacity, none from kUntrustedOpacity, and only
// for the part of the footprint that the model covers.
std::int32_t LogoRemoval::Trust(const Footprint& f) {
  if (f.covered == 0) return 0;
  const std::int64_t room = kUntrustedOpacity * f.total - f.opacity;
  if (room <= 0) return 0;
  const std::int64_t ramp = std::int64_t{kUntrustedOpacity - kTrustedOpacity} * f.total;
  const std::int64_t byOpacity = std::min<std::int64_t>(kFullTrust, room * kFullTrust / ramp);
  return static_cast<std::int32_t>(byOpacity * f.covered / f.total);
}

// gain = 1 / (1 - a), offset = -a L / (1 - a), with a and a L the means over
// the footprint; the identity where the subtraction is not trusted. Trusted
// means a under kUntrustedOpacity, where the stored pair holds both.
SubtractCoefficient LogoRemoval::CoefficientOf(const Footprint& f, int channel) {
  static_assert(SubtractPairFits(kSubtractUnitGain * 255 / (255 - kUntrustedOpacity),
                                 -kOffsetUnits * 255 * kUntrustedOpacity / (255 - kUntrustedOpacity)),
                "the stored pair holds every trusted coefficient");
  if (Trust(f) == 0) return kIdentity;
  const std::int64_t through = 255 * f.total - f.opacity;  // (1 - a), times 255 total
  const std::int64_t gain = DivideRounded(std::int64_t{kSubtractUnitGain} * 255 * f.total, through);
  const std::int64_t offset = DivideRounded(-kOffsetUnits * f.colour[channel], through);
  return SubtractPair(static_cast<std::int32_t>(gain), static_cast<std::int32_t>(offset));
}

// Y0, U, Y1, V per pair of frame columns; the chroma from the pair's pixels
// inside the area.
void LogoRemoval::FillYuvRow(std::int32_t y, const RemovalArea& area,
                             SubtractCoefficient* row) const {
  for (std::int32_t fx = firstColumn_; fx < frameRect_.right; fx += 2, row += 4) {
    Footprint pair;
    for (int i = 0; i < 2; ++i) {
      const std::int32_t x = fx + i - area.origin.x;
      row[2 * i] = kIdentity;
      if (x < area.visible.left || x >= area.visible.right) continue;
      const Footprint f = FootprintOf(x, y);
      row[2 * i] = CoefficientOf(f, 0);
      pair.Add(f);
    }
    row[1] = CoefficientOf(pair, 1);
    row[3] = CoefficientOf(pair, 2);
  }
}

void LogoRemoval::FillBgrRow(std::int32_t y, const RemovalArea& area,
                             SubtractCoefficient* row) const {
  for (std::int32_t fx = firstColumn_; fx < frameRect_.right; ++fx, row += 3) {
    const Footprint f = FootprintOf(fx - area.origin.x, y);
    for (int k = 0; k < 3; ++k) row[k] = CoefficientOf(f, k);
  }
}

// The frame mask's alpha times the part the subtraction does not take.
void LogoRemoval::LowerAlpha(const RemovalArea& area) {
  const Rect& v = area.visible;
  for (std::int32_t y = v.top; y < v.bottom; ++y) {
    for (std::int32_t x = v.left; x < v.right; ++x) {
      std::uint32_t* pixel = RemovalAlpha.PixelAt(x, y);
      const std::uint32_t alpha = *pixel >> 24;
      const std::uint32_t kept = kFullTrust - Trust(FootprintOf(x, y));
      *pixel = (*pixel & 0x00FFFFFFu) | ((alpha * kept + kFullTrust / 2) / kFullTrust) << 24;
    }
  }
}

void LogoRemoval::Rebuild(const RemovalArea& whole, std::int32_t frameWidth,
                          std::int32_t frameHeight, std::int32_t mode) {
  active_ = false;
  mapped_ = false;
  kept_ = false;
  if (mode != kFrameModeYuy2 && mode != kFrameModeBgr) return;
  const RemovalArea area{whole.frameMask, whole.baseSize, whole.extent, whole.origin,
                         InsideFrame(whole, ReachableWidth(frameWidth, mode), frameHeight)};
  const ImageBuffer& mask = area.frameMask;
  const Rect& v = area.visible;
  if (Model.Empty() || v.IsEmpty() || area.baseSize.width < 1 || area.baseSize.height < 1) return;
  areaSize_ = {mask.rect.Width(), mask.rect.Height()};
  if (!axisX_.Map(area.baseSize.width, area.extent.width, areaSize_.width, Model.width) ||
      !axisY_.Map(area.baseSize.height, area.extent.height, areaSize_.height, Model.height) ||
      axisX_.pixel * axisY_.pixel > kMaxFootprintUnits)
    return;
  mode_ = mode;
  frameWidth_ = frameWidth;
  frameHeight_ = frameHeight;
  const bool yuv = mode == kFrameModeYuy2;
  frameRect_ = {area.origin.x + v.left, area.origin.y + v.top, area.origin.x + v.right,
                area.origin.y + v.bottom};
  if (yuv) frameRect_.right += frameRect_.right & 1;  // the reachable width is even
  firstColumn_ = yuv ? frameRect_.left & ~1 : frameRect_.left;
  samplesPerRow_ = (frameRect_.right - firstColumn_) * (yuv ? 2 : 3);
  const std::int64_t count = std::int64_t{samplesPerRow_} * frameRect_.Height();
  if (count > INT32_MAX || !PrepareModel(mode)) return;
  mapped_ = true;
  if (!Subtractable()) return;
  SubtractCoefficient* coefficients = coefficients_.Ensure(static_cast<std::int32_t>(count));
  RemovalAlpha.Resize(areaSize_.width, areaSize_.height, kSlack, kSlack);
  if (coefficients == nullptr || delivered_.Ensure(static_cast<std::int32_t>(count)) == nullptr ||
      RemovalAlpha.rect.Width() != areaSize_.width ||
      RemovalAlpha.rect.Height() != areaSize_.height)
    return;
  for (std::int32_t y = v.top; y < v.bottom; ++y) {
    SubtractCoefficient* row = coefficients + std::int64_t{y - v.top} * samplesPerRow_;
    if (yuv)
      FillYuvRow(y, area, row);
    else
      FillBgrRow(y, area, row);
  }
  RemovalAlpha.CopyFrom(mask.pixels, mask.allocWidth, mask.allocHeight, mask.rect);
  LowerAlpha(area);
  active_ = true;
}

LogoRemoval::ModelSample LogoRemoval::ModelAt(std::int32_t x, std::int32_t y) const {
  ModelSample sample;
  if (!mapped_) return sample;
  const Footprint f = FootprintOf(x, y);
  sample.opacity = static_cast<std::uint8_t>(DivideRounded(f.opacity, f.total));
  for (int k = 0; k < 3 && f.opacity > 0; ++k)
    sample.colour[k] = static_cast<std::uint8_t>(DivideRounded(f.colour[k], f.opacity));
  return sample;
}

std::uint8_t* LogoRemoval::FrameRow(std::uint8_t* frame, std::int32_t fy) const {
  const bool yuv = mode_ == kFrameModeYuy2;
  const std::ptrdiff_t stride = std::ptrdiff_t{frameWidth_} * (yuv ? 2 : 3);
  const std::ptrdiff_t memoryRow = yuv ? fy : frameHeight_ - 1 - fy;
  return frame + memoryRow * stride + firstColumn_ * (yuv ? 2 : 3);
}

bool LogoRemoval::Subtract(std::uint8_t* frame, const FrameGeometry& geometry, bool keep) {
  kept_ = false;
  if (!active_ || geometry.width != frameWidth_ || geometry.height != frameHeight_ ||
      geometry.mode != mode_)
    return false;
  const auto subtractRow = KernelsInUse().logoSubtract.subtractRow;
  const SubtractCoefficient* row = coefficients_.Data();
  std::uint8_t* delivered = delivered_.Data();
  for (std::int32_t fy = frameRect_.top; fy < frameRect_.bottom; ++fy, row += samplesPerRow_) {
    std::uint8_t* samples = FrameRow(frame, fy);
    if (keep) {
      std::memcpy(delivered, samples, static_cast<std::size_t>(samplesPerRow_));
      delivered += samplesPerRow_;
    }
    subtractRow(samples, row, samplesPerRow_);
  }
  kept_ = keep;
  return true;
}

void LogoRemoval::Restore(std::uint8_t* frame) const {
  if (!kept_) return;
  const std::uint8_t* delivered = delivered_.Data();
  for (std::int32_t fy = frameRect_.top; fy < frameRect_.bottom; ++fy, delivered += samplesPerRow_)
    std::memcpy(FrameRow(frame, fy), delivered, static_cast<std::size_t>(samplesPerRow_));
}

const std::uint8_t* LogoRemoval::DeliveredRow(const std::uint8_t* frame, std::int32_t fy) const {
  if (kept_)
    return delivered_.Data() + std::ptrdiff_t{fy - frameRect_.top} * samplesPerRow_;
  return FrameSamples(frame, fy);
}

}  // namespace kestrimo
