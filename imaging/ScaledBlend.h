// Bilinear resampling of a rectangle of one 32-bit image into a rectangle of
// another, as two one-dimensional steps (between two source rows, then between
// two pixels of the resulting row) driven by cached ScaleTables.
#pragma once

#include <cstddef>
#include <cstdint>

#include "imaging/ScalingKernels.h"
#include "base/ImageView.h"

namespace kestrimo {

// The only image format scaled: 32-bit pixels B, G, R, A, rows bottom-up.
inline constexpr std::int32_t kScaleFormatBgraBottomUp = 5;
// The only opacity handled: the resampled pixels are copied, all four bytes.
inline constexpr std::int32_t kScaleOpacityCopy = 100;
// Largest source extent (clipped width or height): source positions are
// formed in 16.16 fixed point within 32 bits.
inline constexpr std::int32_t kMaxScaleSourceExtent = 65535;

// The five values a table is built from; it is rebuilt only when one changes.
struct ScaleTableKey {
  std::int32_t sourceExtent = 0;       // a
  std::int32_t destinationExtent = 0;  // b
  std::int32_t offset = 0;             // c: first produced output within the b outputs
  std::int32_t count = 0;              // n: outputs produced (0 = nothing built)
  std::int32_t stepUnit = 0;           // d: signed bytes from one sample to the next
  friend bool operator==(const ScaleTableKey&, const ScaleTableKey&) = default;
};

// Fills key.count entries mapping output c + k of b onto the a source samples:
// centred samples when reducing, end samples meeting when enlarging. Every
// sample read lies within 0..a-1. False, with nothing written, unless
// 1 <= a <= kMaxScaleSourceExtent, b >= 1, c >= 0, n >= 0 and c + n <= b.
bool BuildScaleTable(ScaleTableEntry* table, const ScaleTableKey& key);

// A 16-byte aligned scratch array under the scaling's own sizing rule: the
// recorded capacity follows the wanted count once the count leaves
// [MulDiv(capacity, 100 - shrink, 100), MulDiv(capacity, 100 + grow, 100)],
// and the array is then replaced by one of MulDiv(count, 100 + grow, 100)
// elements (contents not kept).
class ScaleScratch {
 public:
  enum class Outcome { Failed, Kept, Replaced };

  ScaleScratch() = default;
  ~ScaleScratch();
  ScaleScratch(const ScaleScratch&) = delete;
  ScaleScratch& operator=(const ScaleScratch&) = delete;

  // Room for `count` elements. Failed (and the array empty) for a count below
  // 1, an absurd size or a failed allocation.
  Outcome Reserve(std::int32_t count, std::size_t elementSize, std::int32_t grow,
                  std::int32_t shrink);

  void* data() const { return data_; }
  std::int32_t capacity() const { return capacity_; }    // the recorded capacity
  std::int32_t allocated() const { return allocated_; }  // elements actually held

 private:
  void Release();

  void* data_ = nullptr;
  std::int32_t capacity_ = 0;
  std::int32_t allocated_ = 0;
};

class ScaledBlend {
 public:
  // What a cached table holds, for inspection.
  struct TableState {
    const ScaleTableEntry* entries;
    std::int32_t capacity;
    std::int32_t allocated;
    ScaleTableKey key;
    std::int32_t builds;  // how often the table has been computed
  };

  ScaledBlend() = default;
  ScaledBlend(const ScaledBlend&) = delete;
  ScaledBlend& operator=(const ScaledBlend&) = delete;

  void SetGrowPercent(std::int32_t percent) { growPercent_ = percent; }
  void SetShrinkPercent(std::int32_t percent) { shrinkPercent_ = percent; }
  std::int32_t GrowPercent() const { return growPercent_; }
  std::int32_t ShrinkPercent() const { return shrinkPercent_; }

  // Resamples the source view's rectangle into the destination's. Both
  // rectangles are first clipped to their allocations; the clipped source is
  // mapped onto the whole destination rectangle, of which only the clipped
  // part is written. Only format kScaleFormatBgraBottomUp on both sides with
  // opacity kScaleOpacityCopy is handled: the resampled pixels are copied.
  // Any other format or opacity, missing pixels, empty or absurd sizes, or a
  // failed allocation leave the destination untouched. keyColour is
  // 0x00BBGGRR; with keyProtection a key pixel is never mixed with another.
  // Source and destination must not overlap.
  void Scale(ConstImageView source, std::int32_t srcFormat, ImageView destination,
             std::int32_t dstFormat, std::int32_t opacity, std::uint32_t keyColour,
             bool keyProtection);

  TableState Horizontal() const { return StateOf(horizontal_); }
  TableState Vertical() const { return StateOf(vertical_); }
  const ScaleScratch& RowBuffer() const { return rowBuffer_; }

 private:
  struct CachedTable {
    ScaleScratch entries;
    ScaleTableKey key;
    std::int32_t builds = 0;
  };

  // The table for `key`, rebuilt only when the key (or the array) changed;
  // null when it cannot be had.
  const ScaleTableEntry* PrepareTable(CachedTable& table, const ScaleTableKey& key);
  static TableState StateOf(const CachedTable& table);

  std::int32_t growPercent_ = 0;
  std::int32_t shrinkPercent_ = 0;
  CachedTable horizontal_;
  CachedTable vertical_;
  ScaleScratch rowBuffer_;  // one source row after the vertical step, plus 2 pixels
};

}  // namespace kestrimo
