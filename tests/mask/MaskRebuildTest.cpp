// The mask rebuild: sizes and placement from the settings, the neutralised
// strips at the frame edges, and the fill span lists.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/ColourKey.h"
#include "mask/MaskRebuild.h"
#include "model/ChannelSettings.h"
#include "tests/support/PictureFiles.h"

namespace kestrimo {
namespace {

constexpr std::uint32_t kColorKey = 0x00FF8000;
const std::uint32_t kKeyPixel = 0xFF000000u | KeyFromColour(kColorKey);

FrameGeometry Frame(std::int32_t width, std::int32_t height) {
  FrameGeometry g;
  g.SetFrameFormat(width, height, 0);
  return g;
}

class MaskRebuildTest : public ::testing::Test {
 protected:
  void Rebuild(std::int32_t frameWidth = 720, std::int32_t frameHeight = 576) {
    mask.RebuildMask(record.Shape(), Frame(frameWidth, frameHeight), frameWidth, frameHeight);
  }
  std::uint32_t MaskPixel(std::int32_t x, std::int32_t y) { return *mask.FrameMask.PixelAt(x, y); }
  std::vector<std::int32_t> RowList(std::int32_t y) {
    return List(reinterpret_cast<std::int32_t*>(mask.RowSpans.PixelAt(0, y)), 1);
  }
  std::vector<std::int32_t> ColumnList(std::int32_t x) {
    const auto* first = reinterpret_cast<std::int32_t*>(mask.ColumnSpans.PixelAt(x, 0));
    return List(first, -mask.ColumnSpans.allocWidth);
  }
  static std::vector<std::int32_t> List(const std::int32_t* cell, std::ptrdiff_t step) {
    std::vector<std::int32_t> list;
    for (;; cell += step) {
      list.push_back(*cell);
      if (*cell == -1) return list;
    }
  }
  // Sets FrameMask to a row pattern: K key-coloured, anything else kept.
  void PaintRows(const std::vector<std::string>& rows) {
    const std::int32_t w = static_cast<std::int32_t>(rows[0].size());
    const std::int32_t h = static_cast<std::int32_t>(rows.size());
    for (ImageBuffer* b : {&mask.FrameMask, &mask.RowSpans, &mask.ColumnSpans}) b->Resize(w, h, 25, 25);
    for (std::int32_t y = 0; y < h; ++y)
      for (std::int32_t x = 0; x < w; ++x)
        *mask.FrameMask.PixelAt(x, y) = rows[y][x] == 'K' ? kKeyPixel : 0x00FF7F00u;
  }
  ChannelSettings record = TableDefaults();
  MaskRebuild mask;
};

TEST_F(MaskRebuildTest, DefaultRectangleAt720By576) {
  Rebuild();
  EXPECT_EQ(mask.BaseMask.rect, (Rect{0, 0, 100, 70}));
  EXPECT_EQ(mask.FrameMask.rect, (Rect{0, 0, 94, 70}));
  EXPECT_EQ(mask.WorkBuffer.rect, mask.FrameMask.rect);
  EXPECT_EQ(mask.MaskOrigin, (Point{56, 60}));
  EXPECT_EQ(mask.VisibleRect, (Rect{0, 0, 94, 70}));
  for (std::int32_t y = 0; y < 70; ++y)
    for (std::int32_t x = 0; x < 94; ++x) ASSERT_EQ(MaskPixel(x, y), kKeyPixel) << x << "," << y;
}

TEST_F(MaskRebuildTest, EdgeBlurAddsMarginsAndSoftensTheEdge) {
  record.EdgeBlur = 2;  // radius 5
  Rebuild();
  EXPECT_EQ(mask.BaseMask.rect, (Rect{0, 0, 120, 90}));
  EXPECT_EQ(mask.FrameMask.rect, (Rect{0, 0, 113, 90}));
  EXPECT_EQ(mask.MaskOrigin, (Point{47, 50}));
  // Deep inside the grown rectangle the mask is opaque, at the border it is clear.
  EXPECT_EQ(*mask.BaseMask.PixelAt(60, 45), kKeyPixel);
  EXPECT_EQ(*mask.BaseMask.PixelAt(0, 0) >> 24, 0u);
  const std::uint32_t edge = *mask.BaseMask.PixelAt(5, 45) >> 24;
  EXPECT_GT(edge, 0u);
  EXPECT_LT(edge, 255u);
}

TEST_F(MaskRebuildTest, ExpansionMattersOnlyWithAPicture) {
  Rebuild();
  const Rect plain = mask.FrameMask.rect;
  record.ExpandX = 12;
  record.ExpandY = 9;
  Rebuild();
  EXPECT_EQ(mask.FrameMask.rect, plain);
}

TEST_F(MaskRebuildTest, AreaOverTheLeftEdgeIsNeutralisedUpToTheEdgeColumn) {
  record.MaskPosX = 45;  // MulDiv(720, 45, 768) = 42; origin 42 - 47 = -5
  Rebuild();
  ASSERT_EQ(mask.MaskOrigin.x, -5);
  EXPECT_EQ(mask.VisibleRect, (Rect{5, 0, 94, 70}));
  for (std::int32_t y = 0; y < 70; ++y) {
    for (std::int32_t x = 0; x <= 5; ++x) ASSERT_EQ(MaskPixel(x, y) >> 24, 0u) << x;
    EXPECT_EQ(MaskPixel(6, y), kKeyPixel);
  }
  // Column 5 (frame column 0) is the left anchor of every row's only run.
  EXPECT_EQ(RowList(30), (std::vector<std::int32_t>{5, 88, -1}));
}

TEST_F(MaskRebuildTest, AreaOverTheRightEdgeByThreePixels) {
  // Sw = 94; origin x = 720 - 94 + 3 = 629 needs centre 676: MulDiv(720, 721, 768) = 676.
  record.MaskPosX = 721;
  Rebuild();
  ASSERT_EQ(mask.MaskOrigin.x, 629);
  EXPECT_EQ(mask.VisibleRect.right, 91);
  for (std::int32_t x = 90; x < 94; ++x) EXPECT_EQ(MaskPixel(x, 20) >> 24, 0u) << x;
  EXPECT_EQ(MaskPixel(89, 20), kKeyPixel);
}

TEST_F(MaskRebuildTest, AreaOverTwoEdgesGetsBothStrips) {
  record.MaskPosX = 45;  // origin x -5
  record.MaskPosY = 30;  // origin y 30 - 35 = -5
  Rebuild();
  ASSERT_EQ(mask.MaskOrigin, (Point{-5, -5}));
  EXPECT_EQ(mask.VisibleRect, (Rect{5, 5, 94, 70}));
  EXPECT_EQ(MaskPixel(50, 5) >> 24, 0u) << "the top strip includes the edge row";
  EXPECT_EQ(MaskPixel(50, 6), kKeyPixel);
  EXPECT_EQ(MaskPixel(5, 50) >> 24, 0u);
}

TEST_F(MaskRebuildTest, AreaWhollyOutsideTheFrameGetsNoStrips) {
  record.MaskPosX = 5000;
  Rebuild();
  EXPECT_EQ(mask.VisibleRect, (Rect{0, 0, 94, 70}));
  EXPECT_EQ(MaskPixel(0, 0), kKeyPixel);
}

TEST_F(MaskRebuildTest, RowSpansOfTheWorkedExample) {
  PaintRows({"oooooooo", "oKKooKoK", "oKoKoKoK", "oooooooo"});
  mask.BuildRowSpans(kColorKey);
  EXPECT_EQ(RowList(0), (std::vector<std::int32_t>{-1})) << "first row";
  EXPECT_EQ(RowList(1), (std::vector<std::int32_t>{0, 3, 1, 2, -1}));
  EXPECT_EQ(RowList(2), (std::vector<std::int32_t>{0, 2, 0, 2, 0, 2, -1}));
  EXPECT_EQ(RowList(3), (std::vector<std::int32_t>{-1})) << "last row";
}

TEST_F(MaskRebuildTest, AlternatingOddRowFillsEverySlot) {
  PaintRows({"ooooooo", "oKoKoKo", "ooooooo"});
  mask.BuildRowSpans(kColorKey);
  EXPECT_EQ(RowList(1), (std::vector<std::int32_t>{0, 2, 0, 2, 0, 2, -1}));
  PaintRows({"oooo", "oKoK", "oooo"});
  mask.BuildRowSpans(kColorKey);
  EXPECT_EQ(RowList(1), (std::vector<std::int32_t>{0, 2, -1}));
}

TEST_F(MaskRebuildTest, BorderPixelsAreNeverInsideARun) {
  PaintRows({"KKKKK", "KKKKK", "KKKKK", "KKKKK"});
  mask.BuildRowSpans(kColorKey);
  mask.BuildColumnSpans(kColorKey);
  EXPECT_EQ(RowList(1), (std::vector<std::int32_t>{0, 4, -1})) << "anchors 0 and 4";
  EXPECT_EQ(ColumnList(0), (std::vector<std::int32_t>{-1}));
  EXPECT_EQ(ColumnList(4), (std::vector<std::int32_t>{-1}));
  EXPECT_EQ(ColumnList(2), (std::vector<std::int32_t>{0, 3, -1}));
}

TEST_F(MaskRebuildTest, ShortLinesHoldOnlyTheTerminator) {
  PaintRows({"K", "K", "K"});
  mask.BuildRowSpans(kColorKey);
  mask.BuildColumnSpans(kColorKey);
  for (std::int32_t y = 0; y < 3; ++y) EXPECT_EQ(RowList(y), (std::vector<std::int32_t>{-1}));
  EXPECT_EQ(ColumnList(0), (std::vector<std::int32_t>{-1}));
}

TEST_F(MaskRebuildTest, ColumnSpansReadDownwards) {
  PaintRows({"ooo", "oKo", "oKo", "ooo", "oKo", "ooo"});
  mask.BuildColumnSpans(kColorKey);
  EXPECT_EQ(ColumnList(1), (std::vector<std::int32_t>{0, 3, 0, 2, -1}));
}

TEST_F(MaskRebuildTest, ZeroSizeGivesEmptyBuffersAndNoLists) {
  record.RectMaskSizeX = 0;
  Rebuild();
  EXPECT_EQ(mask.FrameMask.pixels, nullptr);
  EXPECT_EQ(mask.WorkBuffer.pixels, nullptr);
  EXPECT_TRUE(mask.FrameMask.rect.IsEmpty());
}

TEST_F(MaskRebuildTest, AbsurdSettingsGiveAnEmptyArea) {
  const auto expectEmpty = [this](const char* what) {
    Rebuild();
    EXPECT_EQ(mask.FrameMask.pixels, nullptr) << what;
    EXPECT_EQ(mask.RowSpans.pixels, nullptr) << what;
    EXPECT_EQ(mask.VisibleRect, Rect{}) << what;
    record = TableDefaults();
  };
  record.RectMaskSizeX = -4;
  expectEmpty("negative width");
  record.RectMaskSizeY = INT32_MIN;
  expectEmpty("most negative height");
  record.RectMaskSizeX = INT32_MAX;
  expectEmpty("huge width");
  record.RectMaskSizeY = 100000;
  expectEmpty("huge height");
  // Positions far outside are not absurd for the mask itself.
  record.MaskPosX = INT32_MIN;
  record.MaskPosY = INT32_MAX;
  Rebuild();
  EXPECT_NE(mask.FrameMask.pixels, nullptr);
}

TEST_F(MaskRebuildTest, HugeEdgeBlurStaysBounded) {
  record.EdgeBlur = 0xFFFFFFFFu;
  Rebuild();
  EXPECT_LE(mask.BaseMask.rect.Width(), 100 + 4 * 255);
}

TEST_F(MaskRebuildTest, FailedPictureLoadForgetsTheFileName) {
  record.MaskFileName = "/no/such/folder/logo.bmp";
  mask.LoadMaskPicture(record.MaskFileName);
  EXPECT_EQ(mask.MaskLoaded, 0);
  EXPECT_EQ(record.MaskFileName, "");
  Rebuild();
  EXPECT_EQ(mask.FrameMask.rect, (Rect{0, 0, 94, 70}));
}

// A 6 x 4 picture: complement everywhere, the key colour in a 2 x 2 block at
// (2, 1) and in the single pixel (5, 3).
class PictureMask : public MaskRebuildTest {
 protected:
  void SetUp() override {
    testing::Picture picture(6, 4);
    for (testing::Rgba& p : picture.pixels) p = {255, 127, 0, 255};
    for (auto [x, y] : {std::pair{2, 1}, {3, 1}, {2, 2}, {3, 2}, {5, 3}}) picture.At(x, y) = {0, 128, 255, 255};
    record.MaskFileName = folder.Write("logo.bmp", testing::EncodeBmp(picture, 24));
    mask.LoadMaskPicture(record.MaskFileName);
    ASSERT_EQ(mask.MaskLoaded, 1);
  }
  bool BaseKey(std::int32_t x, std::int32_t y) { return *mask.BaseMask.PixelAt(x, y) == kKeyPixel; }
  testing::PictureFolder folder;
};

TEST_F(PictureMask, KeyPixelsOfThePictureAreMasked) {
  Rebuild(768, 576);
  ASSERT_EQ(mask.BaseMask.rect, (Rect{0, 0, 6, 4}));
  EXPECT_TRUE(BaseKey(2, 1) && BaseKey(3, 2) && BaseKey(5, 3));
  EXPECT_FALSE(BaseKey(0, 0) || BaseKey(4, 1) || BaseKey(1, 2));
  EXPECT_EQ(*mask.BaseMask.PixelAt(0, 0) >> 24, 0u) << "kept pixels are transparent";
}

TEST_F(PictureMask, InvertMasksTheOtherPixels) {
  record.InvertMask = 1;
  Rebuild(768, 576);
  EXPECT_FALSE(BaseKey(2, 1) || BaseKey(3, 2) || BaseKey(5, 3));
  EXPECT_TRUE(BaseKey(0, 0) && BaseKey(4, 1) && BaseKey(1, 2));
}

TEST_F(PictureMask, ExpansionWidensTheMarginsAndGrowsTheShape) {
  record.ExpandX = 2;
  record.ExpandY = 1;
  Rebuild(768, 576);
  ASSERT_EQ(mask.BaseMask.rect, (Rect{0, 0, 10, 6}));
  // The block now sits at (4..5, 2..3); it grows by the ellipse of radii (2, 1).
  EXPECT_TRUE(BaseKey(2, 2) && BaseKey(7, 3));
  EXPECT_FALSE(BaseKey(0, 0));
}

TEST_F(PictureMask, BrokenPicturesFallBackToTheRectangle) {
  const std::string good = testing::EncodeBmp(testing::PatternPicture(8, 8, 3), 24);
  // Each file gets its own name: Wine's decoder keeps a file it could not
  // decode open until the process ends.
  int n = 0;
  for (const std::string& bytes :
       {good.substr(0, good.size() / 2), std::string(), std::string("BM\x10\x00garbage")}) {
    record.MaskFileName = folder.Write("broken" + std::to_string(++n) + ".bmp", bytes);
    mask.LoadMaskPicture(record.MaskFileName);
    EXPECT_EQ(mask.MaskLoaded, 0);
    EXPECT_EQ(record.MaskFileName, "");
    Rebuild();
    EXPECT_EQ(mask.FrameMask.rect, (Rect{0, 0, 94, 70}));
  }
}

}  // namespace
}  // namespace kestrimo
