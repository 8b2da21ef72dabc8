#include "imaging/ScaledBlend.h"

#include <cstdint>
#include <cstdlib>

#include "imaging/Kernels.h"
#include "base/AlignedMemory.h"
#include "base/MulDiv.h"

namespace kestrimo {
namespace {

// Percentages are taken within 0..1000: a negative growth would allocate
// fewer elements than are wanted, and larger values only overflow.
std::int32_t ClampPercent(std::int32_t percent) {
  if (percent < 0) return 0;
  return percent > 1000 ? 1000 : percent;
}

bool UsableAllocation(ConstImageView image) {
  const Size size = image.alloc;
  return image.pixels != nullptr && size.width > 0 && size.height > 0 &&
         std::int64_t{size.width} * size.height <= kMaxImagePixels;
}

std::int64_t Extent(std::int32_t low, std::int32_t high) {
  return std::int64_t{high} - low;
}

// Index of picture pixel (x, y) in a bottom-up block.
std::ptrdiff_t PixelIndex(Size size, std::int32_t x, std::int32_t y) {
  return x + static_cast<std::ptrdiff_t>(size.width) * (size.height - 1 - y);
}

// For each destination row of the (clipped) destination rectangle: the
// vertical step into the row buffer, then the horizontal step into the
// destination row.
void ResampleRows(const std::uint8_t* sourceRow, std::int32_t sourceWidth,
                  const ScaleTableEntry* vertical, const ScaleTableEntry* horizontal,
                  std::uint32_t* rowBuffer, ImageView destination, KeyProtection protection) {
  const Rect& dst = destination.rect;
  const ScalingKernels& kernels = KernelsInUse().scaling;
  for (std::int32_t y = 0; y < dst.Height(); ++y) {
    const ScaleTableEntry& entry = vertical[y];
    sourceRow += entry.step;
    kernels.verticalStep(sourceRow, entry.next, entry.weight[0], sourceWidth, rowBuffer,
                         protection);
    sourceRow += entry.next;
    auto* destinationRow = reinterpret_cast<std::uint8_t*>(
        destination.pixels + PixelIndex(destination.alloc, dst.left, dst.top + y));
    kernels.horizontalStep(rowBuffer, horizontal, dst.Width(), destinationRow, protection);
  }
}

}  // namespace

bool BuildScaleTable(ScaleTableEntry* table, const ScaleTableKey& key) {
  const std::int32_t a = key.sourceExtent;
  const std::int32_t b = key.destinationExtent;
  const std::int32_t c = key.offset;
  const std::int32_t n = key.count;
  const std::int32_t d = key.stepUnit;
  if (a < 1 || a > kMaxScaleSourceExtent || b < 1 || c < 0 || n < 0) return false;
  if (std::int64_t{c} + n > b) return false;
  if (std::llabs(std::int64_t{d}) * a > INT32_MAX) return false;  // every step fits
  if (n > 0 && table == nullptr) return false;

  // Reduction centres the samples; enlargement lets the end samples meet. In
  // the enlarging branch b > a >= 1, so B = b - 1 is never 0.
  const auto ua = static_cast<std::uint32_t>(a);
  const auto ub = static_cast<std::uint32_t>(b);
  const bool reducing = ua >= ub;
  const std::uint32_t bias = reducing ? ((ua * 65536u / ub) >> 1) - 32768u : 0u;
  const std::uint32_t sourceSpan = reducing ? ua : ua - 1;
  const std::uint32_t destinationSpan = reducing ? ub : ub - 1;

  std::uint64_t pos = std::uint64_t{static_cast<std::uint32_t>(c)} * 65536u * sourceSpan;
  std::uint32_t prev = 0;
  for (std::int32_t k = 0; k < n; ++k) {
    const std::uint32_t h = static_cast<std::uint32_t>(pos / destinationSpan) + bias;
    const std::uint32_t ip = h >> 16;
    const auto frac = static_cast<std::uint16_t>((h & 0xFFFFu) >> 4);
    ScaleTableEntry& entry = table[k];
    entry.step = static_cast<std::int32_t>(ip - prev) * d;
    entry.next = frac != 0 ? d : 0;
    for (std::uint16_t& w : entry.weight) w = frac;
    prev = frac != 0 ? ip + 1 : ip;
    pos += std::uint64_t{sourceSpan} * 65536u;
  }
  return true;
}

ScaleScratch::~ScaleScratch() { Release(); }

void ScaleScratch::Release() {
  FreeAligned(data_);
  data_ = nullptr;
  capacity_ = 0;
  allocated_ = 0;
}

ScaleScratch::Outcome ScaleScratch::Reserve(std::int32_t count, std::size_t elementSize,
                                            std::int32_t grow, std::int32_t shrink) {
  const std::int32_t g = ClampPercent(grow);
  const std::int32_t s = ClampPercent(shrink);
  if (count >= 1 && data_ != nullptr) {
    const std::int32_t upper = MulDiv(capacity_, 100 + g, 100);
    const std::int32_t lower = MulDiv(capacity_, 100 - s, 100);
    // The block must also really hold `count`: a growth raised since it was
    // allocated widens the accepted range beyond what was allocated.
    if (count >= lower && count <= upper && count <= allocated_) return Outcome::Kept;
  }
  Release();
  if (count < 1) return Outcome::Failed;
  const std::int32_t wanted = MulDiv(count, 100 + g, 100);
  const auto bytes = BlockBytes(wanted, 1, elementSize);
  if (wanted < count || !bytes || *bytes == 0) return Outcome::Failed;
  data_ = AllocateAligned(*bytes);
  if (data_ == nullptr) return Outcome::Failed;
  capacity_ = count;
  allocated_ = wanted;
  return Outcome::Replaced;
}

const ScaleTableEntry* ScaledBlend::PrepareTable(CachedTable& table, const ScaleTableKey& key) {
  const ScaleScratch::Outcome outcome =
      table.entries.Reserve(key.count, sizeof(ScaleTableEntry), growPercent_, shrinkPercent_);
  if (outcome != ScaleScratch::Outcome::Kept) table.key = ScaleTableKey{};
  if (outcome == ScaleScratch::Outcome::Failed) return nullptr;
  auto* entries = static_cast<ScaleTableEntry*>(table.entries.data());
  if (!(table.key == key)) {
    if (!BuildScaleTable(entries, key)) return nullptr;
    table.key = key;
    ++table.builds;
  }
  return entries;
}

ScaledBlend::TableState ScaledBlend::StateOf(const CachedTable& table) {
  return {static_cast<const ScaleTableEntry*>(table.entries.data()), table.entries.capacity(),
          table.entries.allocated(), table.key, table.builds};
}

void ScaledBlend::Scale(ConstImageView source, std::int32_t srcFormat, ImageView destination,
                        std::int32_t dstFormat, std::int32_t opacity, std::uint32_t keyColour,
                        bool keyProtection) {
  if (srcFormat != kScaleFormatBgraBottomUp || dstFormat != kScaleFormatBgraBottomUp ||
      opacity != kScaleOpacityCopy)
    return;
  if (!UsableAllocation(source) || !UsableAllocation(destination)) return;
  const Size srcAllocSize = source.alloc;
  const Size dstAllocSize = destination.alloc;
  const Rect& srcRect = source.rect;
  const Rect& dstRect = destination.rect;
  Rect src;
  Rect dst;
  if (!IntersectRect(src, srcRect, Rect{0, 0, srcAllocSize.width, srcAllocSize.height})) return;
  if (!IntersectRect(dst, dstRect, Rect{0, 0, dstAllocSize.width, dstAllocSize.height})) return;
  const std::int64_t dstWidth = Extent(dstRect.left, dstRect.right);
  const std::int64_t dstHeight = Extent(dstRect.top, dstRect.bottom);
  if (dstWidth > INT32_MAX || dstHeight > INT32_MAX) return;
  if (src.Width() > kMaxScaleSourceExtent || src.Height() > kMaxScaleSourceExtent) return;

  const ScaleTableKey horizontalKey{src.Width(), static_cast<std::int32_t>(dstWidth),
                                    static_cast<std::int32_t>(Extent(dstRect.left, dst.left)),
                                    dst.Width(), 4};
  // Bottom-up: one picture row further down is one allocated row lower in memory.
  const ScaleTableKey verticalKey{src.Height(), static_cast<std::int32_t>(dstHeight),
                                  static_cast<std::int32_t>(Extent(dstRect.top, dst.top)),
                                  dst.Height(), -4 * srcAllocSize.width};
  const ScaleTableEntry* horizontal = PrepareTable(horizontal_, horizontalKey);
  const ScaleTableEntry* vertical = horizontal ? PrepareTable(vertical_, verticalKey) : nullptr;
  if (vertical == nullptr) return;
  if (rowBuffer_.Reserve(src.Width() + 2, sizeof(std::uint32_t), growPercent_, shrinkPercent_) ==
      ScaleScratch::Outcome::Failed)
    return;

  const auto* sourceTopLeft = reinterpret_cast<const std::uint8_t*>(
      source.pixels + PixelIndex(srcAllocSize, src.left, src.top));
  ResampleRows(sourceTopLeft, src.Width(), vertical, horizontal,
               static_cast<std::uint32_t*>(rowBuffer_.data()),
               {destination.pixels, dstAllocSize, dst}, {keyProtection, KeyFromColour(keyColour)});
}

}  // namespace kestrimo
