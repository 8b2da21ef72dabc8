// The rebuild skips work whose result it knows (stretches of equal pixels in
// the edge blur, repeated rows and columns in the scaling, repeated rows in
// the span lists). Its products must still equal those of the plain steps:
// the whole-image blur and scaling, and span lists read line by line.
#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "imaging/AlphaOps.h"
#include "imaging/BlurFilter.h"
#include "base/ColourKey.h"
#include "imaging/ScaledBlend.h"
#include "mask/MaskDilator.h"
#include "mask/MaskRebuild.h"
#include "model/ChannelSettings.h"

namespace kestrimo {
namespace {

constexpr std::uint32_t kColorKey = 0x00FF8000;
constexpr std::uint32_t kComplement = 0x00007FFF;
const std::uint32_t kKeyPixel = 0xFF000000u | KeyFromColour(kColorKey);

// Pictures with blobs, lone pixels and stripes of key pixels, so that rows
// and columns repeat in places and differ in others.
void PaintPicture(DibImage& picture, std::int32_t w, std::int32_t h, std::uint32_t seed) {
  picture.CreateDib(w, h, 0, 0);
  for (std::int32_t y = 0; y < h; ++y) {
    for (std::int32_t x = 0; x < w; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const bool blob = (x - w / 3) * (x - w / 3) + (y - h / 2) * (y - h / 2) < h * h / 9;
      const bool stripe = x > w / 2 && x < w - 3 && (y / 5) % 2 == 0;
      const bool speck = (seed >> 24) < 4;
      picture.pixels[x + static_cast<std::ptrdiff_t>(picture.allocWidth) * (picture.allocHeight - 1 - y)] =
          blob || stripe || speck ? kKeyPixel : 0xFF203040u;
    }
  }
}

// The list of one line by the rule: runs of key pixels between anchors, the
// end pixels never inside a run, the end lines and short lines empty.
std::vector<std::int32_t> ExpectedList(const std::vector<bool>& key, bool endLine) {
  const auto n = static_cast<std::int32_t>(key.size());
  std::vector<std::int32_t> list;
  std::int32_t cursor = 0;
  for (std::int32_t j = 1; !endLine && j <= n - 2; ++j) {
    if (!key[j]) continue;
    std::int32_t k = j + 1;
    while (k < n - 1 && key[k]) ++k;
    list.insert(list.end(), {j - 1 - cursor, k - j + 1});
    cursor = k;
    j = k;
  }
  list.push_back(-1);
  return list;
}

std::vector<std::int32_t> StoredList(const ImageBuffer& spans, std::int32_t x, std::int32_t y,
                                     bool alongRow) {
  std::vector<std::int32_t> list;
  for (std::int32_t m = 0;; ++m) {
    const auto* cell = reinterpret_cast<const std::int32_t*>(
        alongRow ? spans.PixelAt(x + m, y) : spans.PixelAt(x, y + m));
    list.push_back(*cell);
    if (*cell == -1) return list;
  }
}

struct Case {
  std::int32_t frameWidth, frameHeight, edgeBlur, pictureWidth, pictureHeight, posX, posY;
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << "frame " << c.frameWidth << "x" << c.frameHeight << ", EdgeBlur " << c.edgeBlur
       << (c.pictureWidth > 0 ? ", picture " + std::to_string(c.pictureWidth) + "x" +
                                    std::to_string(c.pictureHeight)
                              : std::string(", rectangle"))
       << " at " << c.posX << ", " << c.posY;
}

class RebuildReference : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override {
    const Case c = GetParam();
    record.ColorKey = kColorKey;
    record.EdgeBlur = static_cast<std::uint32_t>(c.edgeBlur);
    record.MaskPosX = c.posX;
    record.MaskPosY = c.posY;
    record.RectMaskSizeX = 57;
    record.RectMaskSizeY = 31;
    record.ExpandX = 3;
    record.ExpandY = 1;
    if (c.pictureWidth > 0) {
      PaintPicture(mask.MaskPicture, c.pictureWidth, c.pictureHeight, 99);
      mask.MaskLoaded = 1;
    }
    geometry.SetFrameFormat(c.frameWidth, c.frameHeight, 0);
    mask.RebuildMask(record.Shape(), geometry, c.frameWidth, c.frameHeight);
  }

  // BaseMask by the plain steps, the edge blur over the whole image.
  void PlainBaseMask(ImageBuffer& base) {
    BlurFilter blur;
    blur.SetWidths(static_cast<float>(record.EdgeBlur));
    const std::int32_t r = blur.HorizontalRadius();
    if (mask.MaskLoaded != 0) {
      const Rect picture = mask.MaskPicture.rect;
      base.Resize(4 * r + 2 * record.ExpandX + picture.Width(),
                  4 * r + 2 * record.ExpandY + picture.Height(), 25, 25);
      base.FillAll(kComplement);
      StampKeyColour(mask.MaskPicture.View(), base.View(),
                     {record.ExpandX + 2 * r, record.ExpandY + 2 * r}, kColorKey, false);
      MaskDilator dilator;
      dilator.DilateMask(base.pixels, base.allocWidth, base.allocHeight, base.rect, kColorKey,
                         record.ExpandX + r, record.ExpandY + r);
    } else {
      base.Resize(4 * r + record.RectMaskSizeX, 4 * r + record.RectMaskSizeY, 25, 25);
      base.FillAll(kComplement);
      base.FillArea({r, r, record.RectMaskSizeX + 3 * r, record.RectMaskSizeY + 3 * r}, kColorKey);
    }
    SetAlphaOutsideKey(base.View(), kColorKey, 0);
    blur.ApplyBlur(base.View(), true, static_cast<float>(record.EdgeBlur));
    RecolourVisible(base.View(), kColorKey);
  }

  static void ExpectSamePixels(const ImageBuffer& expected, const ImageBuffer& actual,
                               const char* what) {
    ASSERT_EQ(expected.rect, actual.rect) << what;
    for (std::int32_t y = 0; y < expected.rect.bottom; ++y)
      for (std::int32_t x = 0; x < expected.rect.right; ++x)
        ASSERT_EQ(*expected.PixelAt(x, y), *actual.PixelAt(x, y)) << what << " at " << x << ", " << y;
  }

  ChannelSettings record = TableDefaults();
  FrameGeometry geometry;
  MaskRebuild mask;
};

TEST_P(RebuildReference, BaseMaskEqualsTheWholeImageBlur) {
  ImageBuffer base;
  PlainBaseMask(base);
  ExpectSamePixels(base, mask.BaseMask, "BaseMask");
}

TEST_P(RebuildReference, FrameMaskEqualsOneScalingOfTheWholeBaseMask) {
  ASSERT_EQ(mask.VisibleRect, (Rect{0, 0, mask.FrameMask.rect.right, mask.FrameMask.rect.bottom}))
      << "the cases lie inside the frame: no strips";
  ImageBuffer frame;
  frame.Resize(mask.FrameMask.rect.right, mask.FrameMask.rect.bottom, 25, 25);
  ScaledBlend scaler;
  scaler.Scale(mask.BaseMask.View(), kScaleFormatBgraBottomUp, frame.View(),
               kScaleFormatBgraBottomUp, kScaleOpacityCopy, kColorKey, true);
  ExpectSamePixels(frame, mask.FrameMask, "FrameMask");
}

TEST_P(RebuildReference, SpanListsFollowTheRuleLineByLine) {
  const std::int32_t w = mask.FrameMask.rect.right;
  const std::int32_t h = mask.FrameMask.rect.bottom;
  ASSERT_GT(w * h, 0);
  auto isKey = [&](std::int32_t x, std::int32_t y) {
    return (*mask.FrameMask.PixelAt(x, y) & 0x00FFFFFFu) == KeyFromColour(kColorKey);
  };
  for (std::int32_t y = 0; y < h; ++y) {
    std::vector<bool> line(w);
    for (std::int32_t x = 0; x < w; ++x) line[x] = isKey(x, y);
    ASSERT_EQ(StoredList(mask.RowSpans, 0, y, true), ExpectedList(line, y == 0 || y == h - 1))
        << "row " << y;
  }
  for (std::int32_t x = 0; x < w; ++x) {
    std::vector<bool> line(h);
    for (std::int32_t y = 0; y < h; ++y) line[y] = isKey(x, y);
    ASSERT_EQ(StoredList(mask.ColumnSpans, x, 0, false), ExpectedList(line, x == 0 || x == w - 1))
        << "column " << x;
  }
}

// Rectangles and pictures, without and with edge blur, reduced (352 x 288),
// unchanged (768 x 576) and enlarged (1920 x 1080); the last cases overhang
// the frame, where the span lists must still follow the rule.
INSTANTIATE_TEST_SUITE_P(
    Cases, RebuildReference,
    ::testing::Values(Case{720, 576, 0, 0, 0, 300, 200}, Case{720, 576, 10, 0, 0, 300, 200},
                      Case{1920, 1080, 10, 0, 0, 384, 288}, Case{352, 288, 3, 0, 0, 384, 288},
                      Case{768, 576, 4, 37, 23, 384, 288}, Case{1920, 1080, 10, 61, 29, 384, 288},
                      Case{352, 288, 2, 40, 40, 384, 288}, Case{720, 576, 7, 3, 2, 100, 100}));

class RebuildReferenceAtTheEdges : public RebuildReference {};

TEST_P(RebuildReferenceAtTheEdges, SpanListsFollowTheRule) {
  const std::int32_t w = mask.FrameMask.rect.right;
  const std::int32_t h = mask.FrameMask.rect.bottom;
  ASSERT_NE(mask.VisibleRect, (Rect{0, 0, w, h})) << "the area overhangs the frame";
  for (std::int32_t y = 1; y + 1 < h; ++y) {
    std::vector<bool> line(w);
    for (std::int32_t x = 0; x < w; ++x)
      line[x] = (*mask.FrameMask.PixelAt(x, y) & 0x00FFFFFFu) == KeyFromColour(kColorKey);
    ASSERT_EQ(StoredList(mask.RowSpans, 0, y, true), ExpectedList(line, false)) << "row " << y;
  }
  for (std::int32_t x = 1; x + 1 < w; ++x) {
    std::vector<bool> line(h);
    for (std::int32_t y = 0; y < h; ++y)
      line[y] = (*mask.FrameMask.PixelAt(x, y) & 0x00FFFFFFu) == KeyFromColour(kColorKey);
    ASSERT_EQ(StoredList(mask.ColumnSpans, x, 0, false), ExpectedList(line, false)) << "column " << x;
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, RebuildReferenceAtTheEdges,
                         ::testing::Values(Case{720, 576, 10, 0, 0, 5, 3},
                                           Case{1920, 1080, 6, 61, 29, 760, 570},
                                           Case{352, 288, 0, 50, 20, 0, 575}));

}  // namespace
}  // namespace kestrimo
