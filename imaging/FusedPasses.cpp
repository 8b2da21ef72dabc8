#include "imaging/FusedPasses.h"

#include <algorithm>
#include <cstddef>

#include "imaging/AlphaOps.h"
#include "imaging/AreaPlan.h"
#include "imaging/FrameConversion.h"
#include "imaging/Kernels.h"

namespace kestrimo {
namespace {

// Frame rows fetched ahead of the extraction: enough to cover the memory
// latency of a fresh frame with the work of the rows in between.
constexpr std::int32_t kRowsAhead = 6;
constexpr std::ptrdiff_t kCacheLine = 64;
constexpr std::int32_t kOpacityFull = 100;

// The extraction's rows, run one at a time.
class RowExtraction {
 public:
  RowExtraction(const std::uint8_t* frame, const FrameGeometry& geometry, Point position,
                ImageView work, std::int32_t layout, ExtractRowFn row)
      : frame_(frame), work_(reinterpret_cast<std::uint8_t*>(work.pixels)), row_(row) {
    if (frame != nullptr && work.pixels != nullptr &&
        PlanArea(geometry, position, work.alloc, work.rect, layout, true, plan_))
      rows_ = plan_.frameRect.Height();
    rowBytes_ = std::ptrdiff_t{plan_.frameBytesPerPixel} * (plan_.frameRect.Width() + 1);
    for (std::int32_t i = 0; i < kRowsAhead; ++i) Fetch(i);
  }

  std::int32_t Done() const { return done_; }
  std::int32_t Rows() const { return rows_; }
  // Visual work row of extracted row i.
  std::int32_t WorkRow(std::int32_t i) const { return plan_.workRect.top + i; }

  void ExtractNext() {
    Fetch(done_ + kRowsAhead);
    row_(frame_ + plan_.FrameOffset(done_), work_ + 4 * plan_.WorkOffset(done_),
         plan_.frameRect.Width(), plan_.OddStart());
    ++done_;
  }

 private:
  void Fetch(std::int32_t i) const {
    if (i >= rows_) return;
    const std::uint8_t* start = frame_ + plan_.FrameOffset(i);
    for (std::ptrdiff_t b = 0; b < rowBytes_; b += kCacheLine) __builtin_prefetch(start + b);
    __builtin_prefetch(start + rowBytes_ - 1);
    // Without an effect the compiler sees, it would take this function for
    // one without any and drop its calls, fetches and all.
    asm volatile("");
  }

  const std::uint8_t* frame_;
  std::uint8_t* work_;
  ExtractRowFn row_;
  AreaPlan plan_;
  std::int32_t rows_ = 0;
  std::int32_t done_ = 0;
  std::ptrdiff_t rowBytes_ = 0;
};

// min(high - low, limit), formed without overflow.
std::int64_t ExtentUpTo(std::int32_t low, std::int32_t high, std::int32_t limit) {
  return std::min(std::int64_t{high} - low, std::int64_t{limit});
}

// Whether the alpha copy would write every work pixel of the work rectangle:
// it covers visual rows and columns from 0 up to the smaller of the two
// rectangles' extents, each cut to its allocation.
bool AlphaCovers(ConstImageView alpha, ConstImageView work) {
  if (alpha.pixels == nullptr || work.pixels == nullptr || alpha.rect.IsEmpty() ||
      work.rect.IsEmpty())
    return false;
  const std::int64_t width =
      std::min(ExtentUpTo(alpha.rect.left, alpha.rect.right, alpha.alloc.width),
               ExtentUpTo(work.rect.left, work.rect.right, work.alloc.width));
  const std::int64_t height =
      std::min(ExtentUpTo(alpha.rect.top, alpha.rect.bottom, alpha.alloc.height),
               ExtentUpTo(work.rect.top, work.rect.bottom, work.alloc.height));
  return work.rect.left >= 0 && work.rect.top >= 0 && work.rect.right <= width &&
         work.rect.bottom <= height;
}

}  // namespace

void ExtractAndFillRows(const std::uint8_t* frame, const FrameGeometry& geometry, Point position,
                        ImageView work, const FillPlan& plan, std::int32_t frameMode) {
  const bool yuy2 = frameMode == kFrameModeYuy2;
  if (!yuy2 && frameMode != kFrameModeBgr) return;
  const Kernels& kernels = KernelsInUse();
  const std::int32_t layout = yuy2 ? kLayoutYuv : kLayoutBgrLuma;
  RowExtraction extraction(frame, geometry, position, work, layout,
                           ExtractRoutine(kernels.conversion, geometry.mode, layout));
  if (plan.Fits(work)) {
    // Runs come row by row; each row is extracted before its runs are filled.
    for (std::int32_t i = 0; i < plan.RowRunCount(); ++i) {
      const FillRun& run = plan.RowRuns()[i];
      while (extraction.Done() < extraction.Rows() &&
             extraction.WorkRow(extraction.Done()) <= run.line)
        extraction.ExtractNext();
      kernels.logoFill.fillRowRun(WorkRow(work, !yuy2, run.line) + std::ptrdiff_t{run.start} * 4,
                                  run.distance);
    }
  }
  while (extraction.Done() < extraction.Rows()) extraction.ExtractNext();
}

void WriteBackThroughAlpha(std::uint8_t* frame, const FrameGeometry& geometry, Point position,
                           ImageView work, ConstImageView alpha, std::int32_t frameMode) {
  const bool yuy2 = frameMode == kFrameModeYuy2;
  if (!yuy2 && frameMode != kFrameModeBgr) return;
  const std::int32_t layout = yuy2 ? kLayoutYuvAlpha : kLayoutBgrAlpha;
  const ConversionKernels& kernels = KernelsInUse().conversion;
  SeparateAlphaWriteBackRowFn row = nullptr;
  if (geometry.mode == frameMode)
    row = yuy2 ? kernels.yuvOverYuy2SeparateAlpha : kernels.bgrOverBgrSeparateAlpha;
  if (row == nullptr || !AlphaCovers(alpha, work)) {
    if (yuy2) CopyMaskAlphaToYuv(alpha, work);
    else CopyMaskAlphaToBgr(alpha, work);
    WriteBackArea(frame, geometry, position, work, layout, kOpacityFull);
    return;
  }
  AreaPlan plan;
  if (frame == nullptr || !PlanArea(geometry, position, work.alloc, work.rect, layout, false, plan))
    return;
  const auto* source = reinterpret_cast<const std::uint8_t*>(work.pixels);
  const std::int32_t p = OpacityScale(kOpacityFull);
  for (std::int32_t r = 0; r < plan.frameRect.Height(); ++r) {
    // The alpha image is bottom-up; its visual rows and columns match the work's.
    const std::int32_t memoryRow = alpha.alloc.height - 1 - (plan.workRect.top + r);
    const std::uint32_t* alphaRow =
        alpha.pixels + static_cast<std::ptrdiff_t>(memoryRow) * alpha.alloc.width + plan.workRect.left;
    row(frame + plan.FrameOffset(r), source + 4 * plan.WorkOffset(r),
        reinterpret_cast<const std::uint8_t*>(alphaRow), plan.frameRect.Width(), plan.OddStart(),
        p);
  }
}

}  // namespace kestrimo
