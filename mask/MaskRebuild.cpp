#include "mask/MaskRebuild.h"

#include <algorithm>
#include <bit>
#include <cstring>

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

bool SameLine(const std::uint32_t* a, const std::uint32_t* b, std::int32_t n) {
  return std::memcmp(a, b, static_cast<std::size_t>(n) * sizeof(std::uint32_t)) == 0;
}

// Blurs the stretches of one line of n pixels (`stride` apart) that lie
// within r of a change of value. Every other pixel sees r equal pixels on
// either side and keeps its value exactly (the kernel's weights sum to 1
// within far less than half a unit), and each stretch is bounded by r equal
// pixels or the line's ends, so blurring it alone, with its ends replicated,
// gives the same pixels as blurring the whole line.
void BlurChangedStretches(std::uint32_t* first, std::ptrdiff_t stride, std::int32_t n,
                          const BlurEntry* kernel, std::int32_t r, BlurEntry* line,
                          BlurLineFn blurLine) {
  std::int32_t begin = 0;
  std::int32_t end = -1;  // none pending
  for (std::int32_t p = 1; p < n; ++p) {
    if (first[p * stride] == first[(p - 1) * stride]) continue;
    const std::int32_t low = std::max(p - r, 0);
    const std::int32_t high = std::min(p + r, n);
    if (end >= 0 && low <= end) {
      end = high;
      continue;
    }
    // Pixels from `low` on are untouched by this blur: low > end.
    if (end >= 0) blurLine(first + begin * stride, stride, end - begin, kernel, r, line);
    begin = low;
    end = high;
  }
  if (end >= 0) blurLine(first + begin * stride, stride, end - begin, kernel, r, line);
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
  ScaleToFrame(record.ColorKey);

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
  BlurBaseMask(edgeWidth);
  RecolourVisible(BaseMask.pixels, SizeOf(BaseMask), BaseMask.rect, record.ColorKey);
}

// The edge blur of the whole base mask, rows then columns, with the edge
// filter's kernels: the same pixels as its ApplyBlur, but only the stretches
// near a change are blurred, and a line equal to the one before it takes that
// line's result.
void MaskRebuild::BlurBaseMask(float width) {
  EdgeBlurFilter.SetWidths(width, width);
  const std::int32_t r = EdgeBlurFilter.HorizontalRadius();
  if (BaseMask.pixels == nullptr || BaseMask.rect.IsEmpty() || r <= 0) return;
  if (EdgeBlurFilter.VerticalRadius() != r) {  // one width gives one radius; kept general
    EdgeBlurFilter.ApplyBlur(BaseMask.pixels, SizeOf(BaseMask), BaseMask.rect, true, width);
    return;
  }
  const std::int32_t longest = std::max(BaseMask.rect.Width(), BaseMask.rect.Height());
  BlurEntry* line = blurLine_.Ensure(longest + 2 * r);
  if (line == nullptr || repeats_.Ensure(longest) == nullptr) return;
  const BlurLineFn blurLine = BlurKernelsInUse().blurLine;
  BlurBaseMaskRows(blurLine, line);
  BlurBaseMaskColumns(blurLine, line);
}

void MaskRebuild::BlurBaseMaskRows(BlurLineFn blurLine, BlurEntry* line) {
  const std::int32_t w = BaseMask.rect.Width();
  const std::int32_t h = BaseMask.rect.Height();
  std::uint8_t* repeats = repeats_.Ensure(h);
  for (std::int32_t y = 1; y < h; ++y)
    repeats[y] = SameLine(BaseMask.PixelAt(0, y), BaseMask.PixelAt(0, y - 1), w) ? 1 : 0;
  for (std::int32_t y = 0; y < h; ++y) {
    std::uint32_t* row = BaseMask.PixelAt(0, y);
    if (y > 0 && repeats[y] != 0)
      std::memcpy(row, BaseMask.PixelAt(0, y - 1), static_cast<std::size_t>(w) * sizeof *row);
    else
      BlurChangedStretches(row, 1, w, EdgeBlurFilter.HorizontalKernel(),
                           EdgeBlurFilter.HorizontalRadius(), line, blurLine);
  }
}

void MaskRebuild::BlurBaseMaskColumns(BlurLineFn blurLine, BlurEntry* line) {
  const std::int32_t w = BaseMask.rect.Width();
  const std::int32_t h = BaseMask.rect.Height();
  std::uint8_t* repeats = repeats_.Ensure(w);
  std::fill_n(repeats, w, std::uint8_t{1});
  for (std::int32_t y = 0; y < h; ++y) {  // along the rows, for the cache's sake
    const std::uint32_t* row = BaseMask.PixelAt(0, y);
    for (std::int32_t x = 1; x < w; ++x)
      if (row[x] != row[x - 1]) repeats[x] = 0;
  }
  const std::ptrdiff_t down = -static_cast<std::ptrdiff_t>(BaseMask.allocWidth);
  for (std::int32_t x = 0; x < w; ++x) {
    std::uint32_t* column = BaseMask.PixelAt(x, 0);
    if (x > 0 && repeats[x] != 0) {
      for (std::int32_t y = 0; y < h; ++y) column[y * down] = column[y * down - 1];
    } else {
      BlurChangedStretches(column, down, h, EdgeBlurFilter.VerticalKernel(),
                           EdgeBlurFilter.VerticalRadius(), line, blurLine);
    }
  }
}

// BaseMask scaled into FrameMask with the scaling's own row steps and the
// same tables as one ScaledBlend of the whole images, and the same pixels,
// but without repeating work whose result is known:
// - a frame column whose two source columns lie in one run of equal base
//   columns takes the value of the first frame column of that run (blending
//   equal pixels gives them back exactly);
// - a frame row whose source rows lie in one run of equal base rows, as do
//   those of the row before it, is a copy of that row.
void MaskRebuild::ScaleToFrame(std::uint32_t colorKey) {
  if (!PlanFrameScaling()) {
    MaskScaler.Scale(BaseMask.pixels, SizeOf(BaseMask), BaseMask.rect, kFormatBgraBottomUp,
                     FrameMask.pixels, SizeOf(FrameMask), FrameMask.rect, kFormatBgraBottomUp,
                     kOpacityCopy, colorKey, true);
    return;
  }
  const std::int32_t sw = FrameMask.rect.Width();
  const std::int32_t sh = FrameMask.rect.Height();
  const ScalingKernels& kernels = ScalingKernelsInUse();
  const KeyProtection protection{true, KeyFromColour(colorKey)};
  const ScaleTableEntry* steps = rowSteps_.Ensure(sh);
  const std::int32_t* rowClass = rowClass_.Ensure(BaseMask.rect.Height());
  const std::ptrdiff_t rowBytes = -4 * static_cast<std::ptrdiff_t>(BaseMask.allocWidth);
  std::uint32_t* rowBuffer = scaledRow_.Ensure(BaseMask.rect.Width() + 2);
  std::int32_t source = 0;
  std::int32_t previousClass = -1;  // the class of the frame row before, -1 when mixed
  for (std::int32_t y = 0; y < sh; ++y) {
    source += steps[y].step;
    const std::int32_t upper = source;
    source += steps[y].next;
    const std::int32_t thisClass = rowClass[source] == rowClass[upper] ? rowClass[upper] : -1;
    auto* row = reinterpret_cast<std::uint8_t*>(FrameMask.PixelAt(0, y));
    if (thisClass >= 0 && thisClass == previousClass) {
      std::memcpy(row, FrameMask.PixelAt(0, y - 1), static_cast<std::size_t>(sw) * 4);
    } else {
      kernels.verticalStep(reinterpret_cast<const std::uint8_t*>(BaseMask.PixelAt(0, upper)),
                           steps[y].next * rowBytes, steps[y].weight[0], BaseMask.rect.Width(),
                           rowBuffer, protection);
      ScaleFrameRow(rowBuffer, row, protection);
    }
    previousClass = thisClass;
  }
}

// One frame row from the vertically blended source row: the planned
// segments through the horizontal step, the rest of each run of equal
// columns from its first pixel.
void MaskRebuild::ScaleFrameRow(const std::uint32_t* rowBuffer, std::uint8_t* row,
                                KeyProtection protection) const {
  const ScalingKernels& kernels = ScalingKernelsInUse();
  const ScaleTableEntry* tables = columnSteps_.Data();
  for (const ColumnSegment& segment : Segments()) {
    kernels.horizontalStep(rowBuffer, tables + segment.table, segment.computed,
                           row + 4 * static_cast<std::ptrdiff_t>(segment.first), protection);
    if (segment.copies > 0) {
      auto* pixels = reinterpret_cast<std::uint32_t*>(row) + segment.first + segment.computed;
      std::fill_n(pixels, segment.copies, pixels[-1]);
    }
  }
}

// Works out, once per rebuild, the tables of the rows and of the column
// segments. False when a table cannot be had; the caller then scales the
// whole images in one call.
bool MaskRebuild::PlanFrameScaling() {
  const std::int32_t bw = BaseMask.rect.Width();
  const std::int32_t bh = BaseMask.rect.Height();
  const std::int32_t sw = FrameMask.rect.Width();
  const std::int32_t sh = FrameMask.rect.Height();
  if (BaseMask.pixels == nullptr || FrameMask.pixels == nullptr || bw <= 0 || bh <= 0 ||
      sw <= 0 || sh <= 0 || bw > kMaxScaleSourceExtent || bh > kMaxScaleSourceExtent)
    return false;
  ScaleTableEntry* steps = rowSteps_.Ensure(sh);
  std::int32_t* rowClass = rowClass_.Ensure(bh);
  std::int32_t* columnClass = columnClass_.Ensure(bw);
  ScaleTableEntry* columnSteps = columnSteps_.Ensure(sw);
  ColumnSegment* segments = segments_.Ensure(sw);
  if (steps == nullptr || rowClass == nullptr || columnClass == nullptr ||
      columnSteps == nullptr || segments == nullptr || scaledRow_.Ensure(bw + 2) == nullptr ||
      !BuildScaleTable(steps, ScaleTableKey{bh, sh, 0, sh, 1}) ||
      !BuildScaleTable(columnSteps, ScaleTableKey{bw, sw, 0, sw, 1}))
    return false;
  ClassifyBaseLines(rowClass, columnClass);
  return PlanColumnSegments(columnClass, columnSteps, segments);
}

// Each base row and column gets the index of the first line of its run of
// equal lines.
void MaskRebuild::ClassifyBaseLines(std::int32_t* rowClass, std::int32_t* columnClass) {
  const std::int32_t bw = BaseMask.rect.Width();
  const std::int32_t bh = BaseMask.rect.Height();
  rowClass[0] = 0;
  for (std::int32_t y = 1; y < bh; ++y)
    rowClass[y] = SameLine(BaseMask.PixelAt(0, y), BaseMask.PixelAt(0, y - 1), bw) ? rowClass[y - 1] : y;
  std::uint8_t* repeats = repeats_.Ensure(bw);
  std::fill_n(repeats, bw, std::uint8_t{1});
  for (std::int32_t y = 0; y < bh; ++y) {
    const std::uint32_t* row = BaseMask.PixelAt(0, y);
    for (std::int32_t x = 1; x < bw; ++x)
      if (row[x] != row[x - 1]) repeats[x] = 0;
  }
  columnClass[0] = 0;
  for (std::int32_t x = 1; x < bw; ++x) columnClass[x] = repeats[x] != 0 ? columnClass[x - 1] : x;
}

// Splits the frame columns into segments: a stretch computed by the
// horizontal step, then a stretch that repeats the last computed pixel (the
// frame columns after the first whose source pair lies in the same run of
// equal base columns). Each segment's table is built for its own first
// column, so the step starts from the row's beginning.
bool MaskRebuild::PlanColumnSegments(const std::int32_t* columnClass,
                                     ScaleTableEntry* columnSteps, ColumnSegment* segments) {
  const std::int32_t bw = BaseMask.rect.Width();
  const std::int32_t sw = FrameMask.rect.Width();
  // Whether frame column x repeats column x - 1, from the column table.
  std::uint8_t* repeats = repeats_.Ensure(sw);
  if (repeats == nullptr) return false;
  std::int32_t source = 0;
  std::int32_t previousClass = -1;
  for (std::int32_t x = 0; x < sw; ++x) {
    source += columnSteps[x].step;
    const std::int32_t left = source;
    source += columnSteps[x].next;
    const std::int32_t thisClass = columnClass[source] == columnClass[left] ? columnClass[left] : -1;
    repeats[x] = thisClass >= 0 && thisClass == previousClass ? 1 : 0;
    previousClass = thisClass;
  }
  segmentCount_ = 0;
  std::int32_t tableUsed = 0;
  for (std::int32_t x = 0; x < sw;) {
    ColumnSegment& segment = segments[segmentCount_++];
    segment.first = x;
    while (x < sw && (x == segment.first || repeats[x] == 0)) ++x;
    segment.computed = x - segment.first;
    while (x < sw && repeats[x] != 0) ++x;
    segment.copies = x - segment.first - segment.computed;
    segment.table = tableUsed;
    if (!BuildScaleTable(columnSteps + tableUsed,
                         ScaleTableKey{bw, sw, segment.first, segment.computed, 4}))
      return false;
    tableUsed += segment.computed;
  }
  return true;
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

// A row equal to the row before it (both inside the list rows) takes that
// row's list.
void MaskRebuild::BuildRowSpans(std::uint32_t colorKey) {
  const Rect area = FrameMask.rect;
  if (FrameMask.pixels == nullptr || RowSpans.pixels == nullptr) return;
  if (RowSpans.rect.Width() < area.Width() || RowSpans.rect.Height() < area.Height()) return;
  const std::uint32_t key = KeyFromColour(colorKey);
  const std::int32_t n = area.Width();
  std::int32_t previousLength = 0;  // entries of the list of the row before, 0 for none
  for (std::int32_t y = 0; y < area.Height(); ++y) {
    auto* cells = reinterpret_cast<std::int32_t*>(RowSpans.PixelAt(0, y));
    if (y == 0 || y == area.Height() - 1 || n < 2) {
      cells[0] = kEndOfList;
      previousLength = 0;
      continue;
    }
    const std::uint32_t* row = FrameMask.PixelAt(0, y);
    if (previousLength > 0 && SameLine(row, FrameMask.PixelAt(0, y - 1), n)) {
      std::memcpy(cells, RowSpans.PixelAt(0, y - 1),
                  static_cast<std::size_t>(previousLength) * sizeof *cells);
      continue;
    }
    std::int32_t length = 0;
    BuildLineSpans(n, key, [row](std::int32_t i) { return row[i]; },
                   [cells, &length](std::int32_t m) -> std::int32_t& {
                     length = m + 1;
                     return cells[m];
                   });
    previousLength = length;
  }
}

namespace {

// The key pixels of one row as bits, 64 columns a word.
void KeyBitsOfRow(const std::uint32_t* row, std::int32_t width, std::uint32_t key,
                  std::uint64_t* bits) {
  for (std::int32_t base = 0; base < width; base += 64) {
    const std::int32_t count = std::min(64, width - base);
    std::uint64_t word = 0;
    for (std::int32_t b = 0; b < count; ++b)
      word |= static_cast<std::uint64_t>(IsKey(row[base + b], key)) << b;
    bits[base / 64] = word;
  }
}

}  // namespace

// The lists of all columns at once, sweeping the rows in memory order. Each
// column keeps its cursor (-1 once its list is complete), its list length
// and the start of the run it is in (-1 while it looks for one). Below row
// 1 and above the last row, a column whose pixel is as key as the one above
// it keeps its state (a key pixel continues a run, a kept one the search), so
// only the columns whose key bit changed are visited, and a row equal to
// the one above it not at all; the last row closes every list.
void MaskRebuild::BuildColumnSpans(std::uint32_t colorKey) {
  const Rect area = FrameMask.rect;
  if (FrameMask.pixels == nullptr || ColumnSpans.pixels == nullptr) return;
  if (ColumnSpans.rect.Width() < area.Width() || ColumnSpans.rect.Height() < area.Height()) return;
  const std::uint32_t key = KeyFromColour(colorKey);
  const std::int32_t w = area.Width();
  const std::int32_t n = area.Height();
  if (w == 0 || n == 0) return;
  const std::int32_t words = (w + 63) / 64;
  std::int32_t* state = columnState_.Ensure(3 * w);
  std::uint64_t* bits = keyBits_.Ensure(2 * words);
  if (n < 3 || w < 3 || state == nullptr || bits == nullptr) {
    if (n >= 3 && w >= 3) return BuildColumnSpansOneByOne(key);
    for (std::int32_t x = 0; x < w; ++x) ColumnCell(x, 0) = kEndOfList;
    return;
  }
  std::int32_t* cursor = state;
  std::int32_t* length = state + w;
  std::int32_t* runStart = state + 2 * w;
  std::fill_n(cursor, w, 0);
  std::fill_n(length, w, 0);
  std::fill_n(runStart, w, -1);
  ColumnCell(0, 0) = kEndOfList;
  ColumnCell(w - 1, 0) = kEndOfList;
  std::uint64_t* above = bits;
  std::uint64_t* here = bits + words;
  std::fill_n(above, words, 0);  // row 0 never starts a run: as if kept
  for (std::int32_t t = 1; t < n - 1; ++t) {
    const std::uint32_t* row = FrameMask.PixelAt(0, t);
    if (t >= 2 && SameLine(row, FrameMask.PixelAt(0, t - 1), w)) continue;
    KeyBitsOfRow(row, w, key, here);
    for (std::int32_t i = 0; i < words; ++i) {
      for (std::uint64_t changed = here[i] ^ above[i]; changed != 0; changed &= changed - 1) {
        const std::int32_t x = 64 * i + std::countr_zero(changed);
        if (x == 0 || x == w - 1 || cursor[x] < 0) continue;
        if (runStart[x] < 0) {
          runStart[x] = t;  // a key pixel below a kept one starts a run
        } else {
          EndColumnRun(x, t, cursor[x], length[x], runStart[x]);
        }
      }
    }
    std::swap(above, here);
  }
  for (std::int32_t x = 1; x < w - 1; ++x) {  // the last row ends every list
    if (cursor[x] < 0) continue;
    if (runStart[x] >= 0) EndColumnRun(x, n - 1, cursor[x], length[x], runStart[x]);
    ColumnCell(x, length[x]) = kEndOfList;
  }
}

// Writes the pair of the run of column x that started at runStart and whose
// right anchor is row k; the cursor moves to k.
void MaskRebuild::EndColumnRun(std::int32_t x, std::int32_t k, std::int32_t& cursor,
                               std::int32_t& length, std::int32_t& runStart) {
  ColumnCell(x, length++) = runStart - 1 - cursor;
  ColumnCell(x, length++) = k - runStart + 1;
  runStart = -1;
  cursor = k;
}

// Column by column, for when the sweep's state cannot be had.
void MaskRebuild::BuildColumnSpansOneByOne(std::uint32_t key) {
  const std::int32_t n = FrameMask.rect.Height();
  for (std::int32_t x = 0; x < FrameMask.rect.Width(); ++x) {
    auto cellAt = [this, x](std::int32_t m) -> std::int32_t& {
      return *reinterpret_cast<std::int32_t*>(ColumnSpans.PixelAt(x, m));
    };
    if (x == 0 || x == FrameMask.rect.Width() - 1 || n < 2) {
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
