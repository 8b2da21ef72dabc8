#include "mask/MaskRebuild.h"

#include <algorithm>

#include "imaging/AlphaOps.h"

namespace kestrimo {
namespace {

constexpr std::int32_t kSlack = 25;  // growth and shrink of every mask buffer
constexpr std::int32_t kFormatBgraBottomUp = 5;
constexpr std::int32_t kOpacityCopy = 100;
constexpr std::int32_t kEndOfList = -1;

Size SizeOf(const ImageBuffer& image) { return {image.allocWidth, image.allocHeight}; }

// Complement of a 0x00BBGGRR colour: R, G and B inverted.
std::uint32_t Complement(std::uint32_t colour) { return (colour ^ 0x00FFFFFF) & 0x00FFFFFF; }

bool IsKey(std::uint32_t pixel, std::uint32_t key) { return (pixel & 0x00FFFFFF) == key; }

bool Plausible(std::int64_t side) { return side >= 0 && side <= kMaxBaseMaskSide; }

// Writes the (skip, distance) list of one line of n pixels; pixelAt(i) is
// the mask pixel i of the line and cellAt(m) the list's entry m.
template <typename PixelAt, typename CellAt>
void BuildLineSpans(std::int32_t n, std::uint32_t key, PixelAt pixelAt, CellAt cellAt) {
  std::int32_t m = 0;
  std::int32_t i = 0;
  for (;;) {
    std::int32_t j = i + 1;
    while (j <= n - 2 && !IsKey(pixelAt(j), key)) ++j;
    if (j > n - 2) break;  // the last pixel never starts a run
    std::int32_t k = j + 1;
    while (k < n - 1 && IsKey(pixelAt(k), key)) ++k;
    cellAt(m++) = j - 1 - i;
    cellAt(m++) = k - j + 1;
    i = k;
    if (i == n - 1) break;
  }
  cellAt(m) = kEndOfList;
}

}  // namespace

void MaskRebuild::LoadMaskPicture(ChannelSettings& record) {
  MaskLoaded = MaskPicture.LoadFromFile(record.MaskFileName) ? 1 : 0;
  if (MaskLoaded == 0) record.MaskFileName.clear();
}

void MaskRebuild::RebuildMask(const ChannelSettings& record, const FrameGeometry& geometry,
                              std::int32_t frameWidth, std::int32_t frameHeight) {
  const float edgeWidth = static_cast<float>(record.EdgeBlur);
  EdgeBlurFilter.SetWidths(edgeWidth, edgeWidth);
  const std::int32_t r = EdgeBlurFilter.HorizontalRadius();
  const bool drawn = MaskLoaded != 0 ? DrawPictureMask(record, r) : DrawRectangleMask(record, r);
  if (!drawn) return Empty();
  SoftenEdges(record);

  const Size frameSize = geometry.ScaleSize({BaseMask.rect.Width(), BaseMask.rect.Height()});
  if (!SizeFrameBuffers(frameSize)) return Empty();
  MaskScaler.Scale(BaseMask.pixels, SizeOf(BaseMask), BaseMask.rect, kFormatBgraBottomUp,
                   FrameMask.pixels, SizeOf(FrameMask), FrameMask.rect, kFormatBgraBottomUp,
                   kOpacityCopy, record.ColorKey, true);

  const Point centre = geometry.ScalePoint({record.MaskPosX, record.MaskPosY});
  MaskOrigin = {centre.x - frameSize.width / 2, centre.y - frameSize.height / 2};
  VisibleRect = {0, 0, frameSize.width, frameSize.height};
  ClipToFrame(frameWidth, frameHeight, Complement(record.ColorKey));
  BuildRowSpans(record.ColorKey);
  BuildColumnSpans(record.ColorKey);
}

bool MaskRebuild::WithinWorkBudget(std::int64_t width, std::int64_t height,
                                   std::int64_t growthRows, std::int32_t r) const {
  const std::int64_t blurTaps = r > 0 ? 4ll * r + 2 : 0;  // both passes, both sides
  return width * height * (growthRows + blurTaps) <= kMaxRebuildWork;
}

// The picture's key pixels (or, inverted, its other pixels), grown by the
// expansion plus the edge radius, in a margin of 2r + expansion on each side.
bool MaskRebuild::DrawPictureMask(const ChannelSettings& record, std::int32_t r) {
  if (record.ExpandX < 0 || record.ExpandY < 0) return false;
  const std::int64_t width = 4ll * r + 2ll * record.ExpandX + MaskPicture.rect.Width();
  const std::int64_t height = 4ll * r + 2ll * record.ExpandY + MaskPicture.rect.Height();
  const std::int64_t growthRows = 2ll * (record.ExpandY + r) + 1;
  if (!Plausible(width) || !Plausible(height) || !WithinWorkBudget(width, height, growthRows, r))
    return false;
  BaseMask.Resize(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), kSlack, kSlack);
  BaseMask.FillAll(Complement(record.ColorKey));
  StampKeyColour(MaskPicture.pixels, {MaskPicture.allocWidth, MaskPicture.allocHeight},
                 MaskPicture.rect, BaseMask.pixels, SizeOf(BaseMask),
                 {record.ExpandX + 2 * r, record.ExpandY + 2 * r}, record.ColorKey,
                 record.InvertMask != 0);
  Dilator.DilateMask(BaseMask.pixels, BaseMask.allocWidth, BaseMask.allocHeight, BaseMask.rect,
                     record.ColorKey, record.ExpandX + r, record.ExpandY + r);
  return true;
}

// The rectangle grown by r on every side, in a margin of r.
bool MaskRebuild::DrawRectangleMask(const ChannelSettings& record, std::int32_t r) {
  if (record.RectMaskSizeX < 0 || record.RectMaskSizeY < 0) return false;
  const std::int64_t width = 4ll * r + record.RectMaskSizeX;
  const std::int64_t height = 4ll * r + record.RectMaskSizeY;
  if (!Plausible(width) || !Plausible(height) || !WithinWorkBudget(width, height, 0, r))
    return false;
  BaseMask.Resize(static_cast<std::int32_t>(width), static_cast<std::int32_t>(height), kSlack, kSlack);
  BaseMask.FillAll(Complement(record.ColorKey));
  BaseMask.FillArea({r, r, record.RectMaskSizeX + 3 * r, record.RectMaskSizeY + 3 * r},
                    record.ColorKey);
  return true;
}

// Hard alpha from the key, blurred, and the key colour restored wherever any
// alpha is left, so the soft edge lives in alpha alone.
void MaskRebuild::SoftenEdges(const ChannelSettings& record) {
  const float edgeWidth = static_cast<float>(record.EdgeBlur);
  SetAlphaOutsideKey(BaseMask.pixels, SizeOf(BaseMask), BaseMask.rect, record.ColorKey, 0);
  EdgeBlurFilter.ApplyBlur(BaseMask.pixels, SizeOf(BaseMask), BaseMask.rect, true, edgeWidth,
                           edgeWidth);
  RecolourVisible(BaseMask.pixels, SizeOf(BaseMask), BaseMask.rect, record.ColorKey);
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

void MaskRebuild::BuildRowSpans(std::uint32_t colorKey) {
  const Rect area = FrameMask.rect;
  if (FrameMask.pixels == nullptr || RowSpans.pixels == nullptr) return;
  if (RowSpans.rect.Width() < area.Width() || RowSpans.rect.Height() < area.Height()) return;
  const std::uint32_t key = KeyFromColour(colorKey);
  const std::int32_t n = area.Width();
  for (std::int32_t y = 0; y < area.Height(); ++y) {
    auto* cells = reinterpret_cast<std::int32_t*>(RowSpans.PixelAt(0, y));
    if (y == 0 || y == area.Height() - 1 || n < 2) {
      cells[0] = kEndOfList;
      continue;
    }
    const std::uint32_t* row = FrameMask.PixelAt(0, y);
    BuildLineSpans(n, key, [row](std::int32_t i) { return row[i]; },
                   [cells](std::int32_t m) -> std::int32_t& { return cells[m]; });
  }
}

void MaskRebuild::BuildColumnSpans(std::uint32_t colorKey) {
  const Rect area = FrameMask.rect;
  if (FrameMask.pixels == nullptr || ColumnSpans.pixels == nullptr) return;
  if (ColumnSpans.rect.Width() < area.Width() || ColumnSpans.rect.Height() < area.Height()) return;
  const std::uint32_t key = KeyFromColour(colorKey);
  const std::int32_t n = area.Height();
  for (std::int32_t x = 0; x < area.Width(); ++x) {
    auto cellAt = [this, x](std::int32_t m) -> std::int32_t& {
      return *reinterpret_cast<std::int32_t*>(ColumnSpans.PixelAt(x, m));
    };
    if (x == 0 || x == area.Width() - 1 || n < 2) {
      cellAt(0) = kEndOfList;
      continue;
    }
    BuildLineSpans(n, key, [this, x](std::int32_t i) { return *FrameMask.PixelAt(x, i); }, cellAt);
  }
}

void MaskRebuild::Empty() {
  for (ImageBuffer* buffer : {&BaseMask, &FrameMask, &WorkBuffer, &RowSpans, &ColumnSpans})
    buffer->Resize(0, 0, kSlack, kSlack);
  MaskOrigin = {};
  VisibleRect = {};
}

}  // namespace kestrimo
