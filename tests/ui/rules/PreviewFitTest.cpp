// Where the mask picture lands in the preview canvas.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "ui/rules/PreviewFit.h"

namespace kestrimo::ui {
namespace {

Rect Picture(std::int32_t w, std::int32_t h) { return Rect{0, 0, w, h}; }

TEST(PreviewFit, WiderPictureGetsBandsAboveAndBelow) {
  EXPECT_EQ(FitPreview(Picture(300, 100), Size{180, 80}), (Rect{0, 10, 180, 70}));
}

TEST(PreviewFit, TallerPictureGetsBandsLeftAndRight) {
  EXPECT_EQ(FitPreview(Picture(100, 100), Size{180, 80}), (Rect{50, 0, 130, 80}));
  EXPECT_EQ(FitPreview(Picture(10, 400), Size{180, 80}), (Rect{89, 0, 91, 80}));
}

TEST(PreviewFit, EqualRatioFillsTheCanvasThroughTheTallerBranch) {
  EXPECT_EQ(FitPreview(Picture(360, 160), Size{180, 80}), (Rect{0, 0, 180, 80}));
  EXPECT_EQ(FitPreview(Picture(9, 4), Size{180, 80}), (Rect{0, 0, 180, 80}));
}

TEST(PreviewFit, OddMarginsTruncateSoTheFarSideGetsTheExtraPixel) {
  const Rect d = FitPreview(Picture(100, 100), Size{181, 80});
  EXPECT_EQ(d, (Rect{50, 0, 131, 80}));
  EXPECT_EQ(d.Width(), 81);
  EXPECT_EQ(FitPreview(Picture(300, 100), Size{180, 81}), (Rect{0, 10, 180, 71}));
}

TEST(PreviewFit, OnlyTheSourceRectanglesSidesCount) {
  EXPECT_EQ(FitPreview(Rect{40, 60, 340, 160}, Size{180, 80}), (Rect{0, 10, 180, 70}));
}

TEST(PreviewFit, TinyAndHugePicturesScaleLikeAnyOther) {
  EXPECT_EQ(FitPreview(Picture(1, 1), Size{180, 80}), (Rect{50, 0, 130, 80}));
  EXPECT_EQ(FitPreview(Picture(3, 1), Size{180, 80}), (Rect{0, 10, 180, 70}));
  EXPECT_EQ(FitPreview(Picture(30000, 10000), Size{180, 80}), (Rect{0, 10, 180, 70}));
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  EXPECT_EQ(FitPreview(Picture(kMax, kMax), Size{180, 80}), (Rect{50, 0, 130, 80}));
  EXPECT_EQ(FitPreview(Rect{-kMax, 0, kMax, 1}, Size{180, 80}), (Rect{0, 40, 180, 40}));
}

TEST(PreviewFit, SliversThinnerThanAPixelLeaveNothingToDraw) {
  EXPECT_TRUE(FitPreview(Picture(10000, 1), Size{180, 80}).IsEmpty());
  EXPECT_TRUE(FitPreview(Picture(1, 10000), Size{180, 80}).IsEmpty());
}

TEST(PreviewFit, EmptyPictureOrCanvasGivesAnEmptyRectangle) {
  EXPECT_EQ(FitPreview(Picture(0, 100), Size{180, 80}), Rect{});
  EXPECT_EQ(FitPreview(Picture(100, 0), Size{180, 80}), Rect{});
  EXPECT_EQ(FitPreview(Rect{50, 0, 10, 10}, Size{180, 80}), Rect{});
  EXPECT_EQ(FitPreview(Picture(100, 100), Size{0, 80}), Rect{});
  EXPECT_EQ(FitPreview(Picture(100, 100), Size{180, 0}), Rect{});
  EXPECT_EQ(FitPreview(Picture(100, 100), Size{-180, -80}), Rect{});
}

}  // namespace
}  // namespace kestrimo::ui
