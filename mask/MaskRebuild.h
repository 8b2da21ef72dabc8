// Turns a channel's settings and mask picture into what every frame uses: the
// mask at frame size, the fill span lists, the area's place in the frame and
// the part of it inside the frame. Runs on channel and settings changes only,
// under the settings lock.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "imaging/BlurFilter.h"
#include "imaging/BlurKernels.h"
#include "imaging/LogoFill.h"
#include "imaging/ScaledBlend.h"
#include "mask/DibImage.h"
#include "mask/LogoPresence.h"
#include "mask/LogoRemoval.h"
#include "mask/SceneHistory.h"
#include "mask/SubtractionFallback.h"
#include "base/FrameGeometry.h"
#include "base/ImageBuffer.h"
#include "mask/MaskDilator.h"
#include "mask/MaskShape.h"
#include "base/Rect.h"
#include "base/ScratchArray.h"

namespace kestrimo {

// Sides of the mask in reference-raster units beyond which a setting is taken
// as absurd and the area as empty (the raster itself is 768 x 576).
constexpr std::int64_t kMaxBaseMaskSide = 8192;

// The rebuild runs on the video thread under the settings lock, so settings
// whose mask would take more than a fraction of a second to draw (pixels of
// the base mask times the ellipse rows of the growth and the taps of the edge
// blur) are taken as absurd too. The settings window's largest values need
// about a tenth of this.
constexpr std::int64_t kMaxRebuildWork = std::int64_t{1} << 27;

class MaskRebuild {
 public:
  // Loads the channel's picture into MaskPicture. A picture that cannot be
  // loaded empties fileName (the channel's MaskFileName), so the mask becomes the
  // rectangle and the next save forgets the file; when only memory ran
  // short, the mask is the rectangle until the next load, but the name stays.
  void LoadMaskPicture(std::string& fileName);

  // Loads a channel's two pictures: the mask picture as LoadMaskPicture
  // does, and the logo model into Removal (a model that cannot be read
  // empties modelFileName, the channel's LogoModelFile; a shortage of memory
  // keeps it).
  void LoadPictures(std::string& maskFileName, std::string& modelFileName);

  // Builds BaseMask, FrameMask, the span lists and the fill plan made of
  // them, MaskOrigin and VisibleRect from the shape, the loaded picture and
  // the frame format, and sizes the WorkBuffer. Absurd settings (negative
  // sizes or growth, sizes beyond
  // kMaxBaseMaskSide) give an empty area: every buffer empty, frames pass.
  void RebuildMask(const MaskShape& shape, const FrameGeometry& geometry,
                   std::int32_t frameWidth, std::int32_t frameHeight);

  // Span lists from FrameMask; the last two steps of RebuildMask.
  void BuildRowSpans(std::uint32_t colorKey);
  void BuildColumnSpans(std::uint32_t colorKey);

  // Products, valid until the next rebuild.
  ImageBuffer BaseMask;
  ImageBuffer FrameMask;
  ImageBuffer RowSpans;
  ImageBuffer ColumnSpans;
  FillPlan Fill;  // the runs of both span lists, for the WorkBuffer
  ImageBuffer WorkBuffer;
  Point MaskOrigin;
  Rect VisibleRect;
  DibImage MaskPicture;
  std::int32_t MaskLoaded = 0;
  LogoRemoval Removal;  // the channel's logo model, scaled to the area
  LogoPresence Presence;  // whether the frames show that logo now
  SubtractionFallback Fallback;  // the fill where the model no longer fits a part of it
  // The logo's pixels from where the camera showed them before; rebuilt on
  // the first frame of a channel that asks for it.
  SceneHistory History;

  // Tools kept between rebuilds.
  MaskDilator Dilator;
  BlurFilter EdgeBlurFilter;
  ScaledBlend MaskScaler;

 private:
  bool WithinWorkBudget(std::int64_t width, std::int64_t height, std::int64_t growthRows,
                        std::int32_t r) const;
  bool DrawPictureMask(const MaskShape& shape, std::int32_t r);
  bool DrawRectangleMask(const MaskShape& shape, std::int32_t r);
  bool SoftenEdges(const MaskShape& shape);
  bool BlurBaseMask(float width);
  void BlurBaseMaskRows(BlurLineFn blurLine, BlurEntry* line);
  void BlurBaseMaskColumns(BlurLineFn blurLine, BlurEntry* line);
  // A stretch of frame columns scaled by the horizontal step with its own
  // table, followed by columns that repeat its last pixel.
  struct ColumnSegment {
    std::int32_t first;
    std::int32_t computed;
    std::int32_t copies;
    std::int32_t table;  // index of its first entry in columnSteps_
  };
  void ScaleToFrame(std::uint32_t colorKey);
  bool PlanFrameScaling();
  void ClassifyBaseLines(std::int32_t* rowClass, std::int32_t* columnClass);
  bool PlanColumnSegments(const std::int32_t* columnClass, ScaleTableEntry* columnSteps,
                          ColumnSegment* segments);
  void ScaleFrameRow(const std::uint32_t* rowBuffer, std::uint8_t* row,
                     KeyProtection protection) const;
  std::span<const ColumnSegment> Segments() const {
    return {segments_.Data(), static_cast<std::size_t>(segmentCount_)};
  }
  bool SizeFrameBuffers(Size frameSize);
  void BuildColumnSpansOneByOne(std::uint32_t key);
  void EndColumnRun(std::int32_t x, std::int32_t k, std::int32_t& cursor, std::int32_t& length,
                    std::int32_t& runStart);
  std::int32_t& ColumnCell(std::int32_t x, std::int32_t m) {
    return *reinterpret_cast<std::int32_t*>(ColumnSpans.PixelAt(x, m));
  }
  void ClipToFrame(std::int32_t frameWidth, std::int32_t frameHeight, std::uint32_t complement);
  void RebuildRemoval(const FrameGeometry& geometry, Size baseSize, Size extent,
                      std::int32_t frameWidth, std::int32_t frameHeight);
  void Empty();

  // Scratch of the rebuild's passes.
  ScratchArray<BlurEntry> blurLine_;
  ScratchArray<std::uint8_t> repeats_;       // per line: same content as the line before
  ScratchArray<std::int32_t> rowClass_;      // per base row: first row of its run of equal rows
  ScratchArray<std::int32_t> columnClass_;   // the same for the base columns
  ScratchArray<ScaleTableEntry> rowSteps_;   // the vertical scaling steps, in rows
  ScratchArray<ScaleTableEntry> columnSteps_;  // the column segments' tables
  ScratchArray<ColumnSegment> segments_;
  std::int32_t segmentCount_ = 0;
  ScratchArray<std::uint32_t> scaledRow_;    // one source row blended vertically
  ScratchArray<std::int32_t> columnState_;   // the column span builder's cursors
  ScratchArray<std::uint64_t> keyBits_;      // key pixels of two rows, a bit each
};

}  // namespace kestrimo
