// The rebuild of a channel's mask: the base mask drawn from the picture or
// the rectangle, softened, scaled to the frame, clipped, and its span lists.
#include "mask/MaskRebuild.h"

#include <algorithm>
#include <cstdint>

#include "imaging/AlphaOps.h"
#include "mask/MaskLines.h"

namespace kestrimo {
using namespace mask_lines;

namespace {

constexpr std::int32_t kSlack = 25;  // growth and shrink of every mask buffer

bool Plausible(std::int64_t side) { return side >= 0 && side <= kMaxBaseMaskSide; }

}  // namespace

void MaskRebuild::LoadMaskPicture(std::string& fileName) {
  MaskLoaded = MaskPicture.LoadFromFile(fileName) ? 1 : 0;
  // A picture that cannot be read is forgotten; one that met a shortage of
  // memory keeps its name, so the next save does not lose the user's choice.
  if (MaskLoaded == 0 && !MaskPicture.LoadRanOutOfMemory()) fileName.clear();
}

void MaskRebuild::LoadPictures(std::string& maskFileName, std::string& modelFileName) {
  LoadMaskPicture(maskFileName);
  Removal.Load(modelFileName);
}

void MaskRebuild::RebuildMask(const MaskShape& shape, const FrameGeometry& geometry,
                              std::int32_t frameWidth, std::int32_t frameHeight) {
  History.Clear();
  const float edgeWidth = static_cast<float>(shape.EdgeBlur);
  EdgeBlurFilter.SetWidths(edgeWidth, edgeWidth);
  const std::int32_t r = EdgeBlurFilter.HorizontalRadius();
  const bool drawn = MaskLoaded != 0 ? DrawPictureMask(shape, r) : DrawRectangleMask(shape, r);
  if (!drawn) return Empty();
  if (!SoftenEdges(shape)) return Empty();

  const Size baseSize{BaseMask.rect.Width(), BaseMask.rect.Height()};
  const Size frameSize = geometry.ScaleSize(baseSize);
  if (!SizeFrameBuffers(frameSize)) return Empty();
  ScaleToFrame(shape.ColorKey);

  const Point centre = geometry.ScalePoint({shape.MaskPosX, shape.MaskPosY});
  const std::int64_t originX = std::int64_t{centre.x} - frameSize.width / 2;
  const std::int64_t originY = std::int64_t{centre.y} - frameSize.height / 2;
  // An origin before the int range lies far off any frame: nothing to do.
  if (originX < INT32_MIN || originY < INT32_MIN) return Empty();
  MaskOrigin = {static_cast<std::int32_t>(originX), static_cast<std::int32_t>(originY)};
  VisibleRect = {0, 0, frameSize.width, frameSize.height};
  // Clipped as the frame conversion clips, so that the anchors at the right
  // edge lie in columns it reads.
  ClipToFrame(ReachableWidth(frameWidth, geometry.mode), frameHeight, Complement(shape.ColorKey));
  BuildRowSpans(shape.ColorKey);
  BuildColumnSpans(shape.ColorKey);
  if (!Fill.Build(WorkBuffer.View(), RowSpans.View(), ColumnSpans.View())) return Empty();
  const Size extent = MaskLoaded != 0
                          ? Size{MaskPicture.rect.Width(), MaskPicture.rect.Height()}
                          : Size{shape.RectMaskSizeX, shape.RectMaskSizeY};
  RebuildRemoval(geometry, baseSize, extent, frameWidth, frameHeight);
}

// The model covers the mask picture (or the rectangle), centred in the base mask.
void MaskRebuild::RebuildRemoval(const FrameGeometry& geometry, Size baseSize, Size extent,
                                 std::int32_t frameWidth, std::int32_t frameHeight) {
  Removal.Rebuild({FrameMask, baseSize, extent, MaskOrigin, VisibleRect}, frameWidth, frameHeight,
                  geometry.mode);
  Presence.Rebuild(Removal, MaskOrigin, geometry);
  if (Presence.Ready(geometry)) Fallback.Rebuild(Removal, Presence);
  else Fallback.Clear();
}

bool MaskRebuild::WithinWorkBudget(std::int64_t width, std::int64_t height,
                                   std::int64_t growthRows, std::int32_t r) const {
  const std::int64_t blurTaps = r > 0 ? 4ll * r + 2 : 0;  // both passes, both sides
  return width * height * (growthRows + blurTaps) <= kMaxRebuildWork;
}

// The picture's key pixels (or, inverted, its other pixels), grown by the
// expansion plus the edge radius, in a margin of 2r + expansion on each side.
bool MaskRebuild::DrawPictureMask(const MaskShape& shape, std::int32_t r) {
  if (shape.ExpandX < 0 || shape.ExpandY < 0) return false;
  const std::int64_t width = 4ll * r + 2ll * shape.ExpandX + MaskPicture.rect.Width();
  const std::int64_t height = 4ll * r + 2ll * shape.ExpandY + MaskPicture.rect.Height();
  const std::int64_t growthRows = 2ll * shape.ExpandY + 2ll * r + 1;
  if (!Plausible(width) || !Plausible(height) || !WithinWorkBudget(width, height, growthRows, r))
    return false;
  BaseMask.Resize(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), kSlack, kSlack);
  BaseMask.FillAll(Complement(shape.ColorKey));
  StampKeyColour(MaskPicture.View(), BaseMask.View(),
                 {shape.ExpandX + 2 * r, shape.ExpandY + 2 * r}, shape.ColorKey,
                 shape.InvertMask != 0);
  return BaseMask.rect.Width() == width && BaseMask.rect.Height() == height &&
         Dilator.DilateMask(BaseMask.pixels, BaseMask.allocWidth, BaseMask.allocHeight,
                            BaseMask.rect, shape.ColorKey, shape.ExpandX + r, shape.ExpandY + r);
}

// The rectangle grown by r on every side, in a margin of r.
bool MaskRebuild::DrawRectangleMask(const MaskShape& shape, std::int32_t r) {
  if (shape.RectMaskSizeX < 0 || shape.RectMaskSizeY < 0) return false;
  const std::int64_t width = 4ll * r + shape.RectMaskSizeX;
  const std::int64_t height = 4ll * r + shape.RectMaskSizeY;
  if (!Plausible(width) || !Plausible(height) || !WithinWorkBudget(width, height, 0, r))
    return false;
  BaseMask.Resize(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), kSlack, kSlack);
  BaseMask.FillAll(Complement(shape.ColorKey));
  BaseMask.FillArea({r, r, shape.RectMaskSizeX + 3 * r, shape.RectMaskSizeY + 3 * r},
                    shape.ColorKey);
  return BaseMask.rect.Width() == width && BaseMask.rect.Height() == height;
}

bool MaskRebuild::SizeFrameBuffers(Size frameSize) {
  if (frameSize.width < 0 || frameSize.height < 0) return false;
  for (ImageBuffer* buffer : {&FrameMask, &WorkBuffer, &RowSpans, &ColumnSpans}) {
    buffer->Resize(frameSize.width, frameSize.height, kSlack, kSlack);
    if (buffer->rect.Width() != frameSize.width || buffer->rect.Height() != frameSize.height)
      return false;  // refused as absurd, or out of memory
  }
  return true;
}

// Neutralises the strips of the area beyond each frame edge, together with
// the one line on that edge, which is kept as an anchor for the fill.
void MaskRebuild::ClipToFrame(std::int32_t frameWidth, std::int32_t frameHeight,
                              std::uint32_t complement) {
  const std::int64_t x0 = MaskOrigin.x, y0 = MaskOrigin.y;
  const std::int64_t sw = VisibleRect.right, sh = VisibleRect.bottom;
  if (x0 >= frameWidth || y0 >= frameHeight || x0 + sw <= 0 || y0 + sh <= 0 || sw == 0 || sh == 0)
    return;
  Rect& v = VisibleRect;
  if (x0 < 0) {
    v.left = static_cast<std::int32_t>(-x0);
    FrameMask.FillAreaAlpha({0, 0, v.left + 1, v.bottom}, 0, complement);
  }
  if (y0 < 0) {
    v.top = static_cast<std::int32_t>(-y0);
    FrameMask.FillAreaAlpha({v.left, 0, v.right, v.top + 1}, 0, complement);
  }
  if (x0 + sw > frameWidth) {
    v.right = static_cast<std::int32_t>(frameWidth - x0);
    FrameMask.FillAreaAlpha(
        {v.right - 1, v.top, static_cast<std::int32_t>(sw), static_cast<std::int32_t>(sh)}, 0,
        complement);
  }
  if (y0 + sh > frameHeight) {
    v.bottom = static_cast<std::int32_t>(frameHeight - y0);
    FrameMask.FillAreaAlpha({v.left, v.bottom - 1, v.right, static_cast<std::int32_t>(sh)}, 0,
                            complement);
  }
}

void MaskRebuild::Empty() {
  for (ImageBuffer* buffer : {&BaseMask, &FrameMask, &WorkBuffer, &RowSpans, &ColumnSpans})
    buffer->Resize(0, 0, kSlack, kSlack);
  Fill.Clear();
  MaskOrigin = {};
  VisibleRect = {};
  Removal.Clear();
  Presence.Clear();
  Fallback.Clear();
}

}  // namespace kestrimo
