// The position and size buttons: steps, one-sided clamps, corners, reset.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "model/ChannelSettings.h"
#include "mask/MaskRebuild.h"
#include "ui/rules/AutoRepeat.h"
#include "ui/rules/PositionButtons.h"

namespace kestrimo::ui {
namespace {

constexpr MaskContext kNoPicture{false, Size{0, 0}};

MaskContext Picture(std::int32_t bw, std::int32_t bh) { return MaskContext{true, Size{bw, bh}}; }

// A press or a tick of a held button, in the order the window performs them.
void Press(ChannelSettings& r, AutoRepeat& repeat, ControlId button, const MaskContext& mask) {
  const std::int32_t steps = repeat.Press(button);
  ApplyPositionButton(r, repeat.Button(), steps, mask);
}

void Tick(ChannelSettings& r, AutoRepeat& repeat, const MaskContext& mask) {
  const std::int32_t steps = repeat.Tick();
  ApplyPositionButton(r, repeat.Button(), steps, mask);
}

ChannelSettings Record() {
  ChannelSettings r = TableDefaults();  // 110, 95, 100 x 70
  r.ExpandX = 7;
  r.ExpandY = 9;
  return r;
}

TEST(PositionStep, ArrowsMoveTheCentreByTheStep) {
  ChannelSettings r = Record();
  ApplyPositionButton(r, ControlId::MoveLeft, 3, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 107);
  ApplyPositionButton(r, ControlId::MoveRight, 10, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 117);
  ApplyPositionButton(r, ControlId::MoveUp, 5, kNoPicture);
  EXPECT_EQ(r.MaskPosY, 90);
  ApplyPositionButton(r, ControlId::MoveDown, 2, Picture(40, 40));
  EXPECT_EQ(r.MaskPosY, 92);
  EXPECT_EQ(r.RectMaskSizeX, 100);
  EXPECT_EQ(r.ExpandX, 7);
}

TEST(PositionStep, PositionsStopAtTheRasterEdgesInTheDirectionOfTravel) {
  ChannelSettings r = Record();
  r.MaskPosX = 2;
  ApplyPositionButton(r, ControlId::MoveLeft, 5, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 0);
  r.MaskPosX = 766;
  ApplyPositionButton(r, ControlId::MoveRight, 5, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 768);
  r.MaskPosY = 1;
  ApplyPositionButton(r, ControlId::MoveUp, 4, kNoPicture);
  EXPECT_EQ(r.MaskPosY, 0);
  r.MaskPosY = 570;
  ApplyPositionButton(r, ControlId::MoveDown, 40, kNoPicture);
  EXPECT_EQ(r.MaskPosY, 576);
}

TEST(PositionStep, ValuesOutsideTheRasterFollowTheOneSidedLimits) {
  ChannelSettings r = Record();
  // Moving away from the broken limit does not clamp at it...
  r.MaskPosX = 900;
  ApplyPositionButton(r, ControlId::MoveLeft, 1, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 899);
  r.MaskPosY = -20;
  ApplyPositionButton(r, ControlId::MoveDown, 1, kNoPicture);
  EXPECT_EQ(r.MaskPosY, -19);
  // ...moving towards it brings the value back to the limit, even with step 0.
  r.MaskPosX = 900;
  ApplyPositionButton(r, ControlId::MoveRight, 0, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 768);
  r.MaskPosY = -20;
  ApplyPositionButton(r, ControlId::MoveUp, 0, kNoPicture);
  EXPECT_EQ(r.MaskPosY, 0);
}

TEST(PositionStep, ExtremeValuesAndStepsDoNotOverflow) {
  constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
  constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
  ChannelSettings r = Record();
  r.MaskPosX = kMin;
  ApplyPositionButton(r, ControlId::MoveLeft, kMax, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 0);
  r.MaskPosX = kMax;
  ApplyPositionButton(r, ControlId::MoveRight, kMax, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 768);
  r.MaskPosX = kMin;
  ApplyPositionButton(r, ControlId::MoveRight, kMax, kNoPicture);
  EXPECT_EQ(r.MaskPosX, -1);
  r.MaskPosX = kMax;
  ApplyPositionButton(r, ControlId::MoveLeft, kMax, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 0);
  // A negative step moves nothing rather than moving the wrong way.
  r.MaskPosX = 100;
  ApplyPositionButton(r, ControlId::MoveLeft, kMin, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 100);
}

TEST(SizeStep, WithoutPictureTheRectangleSizeChangesWithinItsLimits) {
  ChannelSettings r = Record();
  r.RectMaskSizeX = 5;
  ApplyPositionButton(r, ControlId::WidthMinus, 1, kNoPicture);
  EXPECT_EQ(r.RectMaskSizeX, 4);
  ApplyPositionButton(r, ControlId::WidthMinus, 1, kNoPicture);
  EXPECT_EQ(r.RectMaskSizeX, 4);
  r.RectMaskSizeX = 760;
  ApplyPositionButton(r, ControlId::WidthPlus, 20, kNoPicture);
  EXPECT_EQ(r.RectMaskSizeX, 768);
  r.RectMaskSizeY = 6;
  ApplyPositionButton(r, ControlId::HeightMinus, 9, kNoPicture);
  EXPECT_EQ(r.RectMaskSizeY, 4);
  r.RectMaskSizeY = 575;
  ApplyPositionButton(r, ControlId::HeightPlus, 3, kNoPicture);
  EXPECT_EQ(r.RectMaskSizeY, 576);  // the height's limit is the raster's height
  EXPECT_EQ(r.ExpandX, 7);
  EXPECT_EQ(r.ExpandY, 9);
}

TEST(SizeStep, WithPictureTheExpansionChangesAndTheRectangleStays) {
  ChannelSettings r = Record();
  r.ExpandY = 29;
  ApplyPositionButton(r, ControlId::HeightPlus, 1, Picture(50, 50));
  EXPECT_EQ(r.ExpandY, 30);
  ApplyPositionButton(r, ControlId::HeightPlus, 2, Picture(50, 50));
  EXPECT_EQ(r.ExpandY, 30);
  ApplyPositionButton(r, ControlId::WidthMinus, 10, Picture(50, 50));
  EXPECT_EQ(r.ExpandX, 0);
  ApplyPositionButton(r, ControlId::WidthPlus, 4, Picture(50, 50));
  EXPECT_EQ(r.ExpandX, 4);
  ApplyPositionButton(r, ControlId::HeightMinus, 3, Picture(50, 50));
  EXPECT_EQ(r.ExpandY, 27);
  EXPECT_EQ(r.RectMaskSizeX, 100);
  EXPECT_EQ(r.RectMaskSizeY, 70);
}

TEST(SizeStep, NegativeExpansionFromTheFileIsLiftedByShrinking) {
  ChannelSettings r = Record();
  r.ExpandX = -5;
  ApplyPositionButton(r, ControlId::WidthMinus, 1, Picture(50, 50));
  EXPECT_EQ(r.ExpandX, 0);
  r.ExpandY = 45;
  ApplyPositionButton(r, ControlId::HeightMinus, 1, Picture(50, 50));
  EXPECT_EQ(r.ExpandY, 44);  // shrinking does not clamp at 30
}

TEST(CornerButtons, WithoutPictureTheRectangleSizeIsUsed) {
  ChannelSettings r = Record();
  ApplyPositionButton(r, ControlId::CornerNE, 0, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 668);
  EXPECT_EQ(r.MaskPosY, 85);
  r.RectMaskSizeX = 101;  // 101 / 2 = 50
  ApplyPositionButton(r, ControlId::CornerNE, 0, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 668);
  ApplyPositionButton(r, ControlId::CornerNW, 0, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 100);
  EXPECT_EQ(r.MaskPosY, 85);
  ApplyPositionButton(r, ControlId::CornerSE, 0, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 668);
  EXPECT_EQ(r.MaskPosY, 491);
}

TEST(CornerButtons, WithPictureTheBaseMaskSizeIsUsed) {
  ChannelSettings r = Record();
  ApplyPositionButton(r, ControlId::CornerSW, 0, Picture(130, 90));
  EXPECT_EQ(r.MaskPosX, 115);
  EXPECT_EQ(r.MaskPosY, 481);
  ApplyPositionButton(r, ControlId::CornerSE, 0, Picture(131, 91));
  EXPECT_EQ(r.MaskPosX, 653);
  EXPECT_EQ(r.MaskPosY, 481);
}

TEST(CornerButtons, ApplyNoLimitAndHalveTowardZero) {
  ChannelSettings r = Record();
  ApplyPositionButton(r, ControlId::CornerNW, 0, Picture(2000, 1500));
  EXPECT_EQ(r.MaskPosX, 1050);
  EXPECT_EQ(r.MaskPosY, 800);
  ApplyPositionButton(r, ControlId::CornerSE, 0, Picture(2000, 1500));
  EXPECT_EQ(r.MaskPosX, -282);
  EXPECT_EQ(r.MaskPosY, -224);
  r.RectMaskSizeX = -5;  // -5 / 2 = -2
  r.RectMaskSizeY = std::numeric_limits<std::int32_t>::min();
  ApplyPositionButton(r, ControlId::CornerNE, 0, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 720);
  EXPECT_EQ(r.MaskPosY, -1073741774);
}

TEST(ResetExpansion, ClearsOnlyWithAPicture) {
  ChannelSettings r = Record();
  EditEffect effect = ApplyPositionButton(r, ControlId::ResetExpand, 0, kNoPicture);
  EXPECT_TRUE(effect.rebuildMask);
  EXPECT_EQ(r.ExpandX, 7);
  EXPECT_EQ(r.ExpandY, 9);
  ApplyPositionButton(r, ControlId::ResetExpand, 0, Picture(20, 20));
  EXPECT_EQ(r.ExpandX, 0);
  EXPECT_EQ(r.ExpandY, 0);
}

TEST(PositionButtonEffects, EveryButtonRebuildsAndNothingElseDoes) {
  const ControlId buttons[] = {
      ControlId::MoveLeft,  ControlId::MoveRight,  ControlId::MoveUp,      ControlId::MoveDown,
      ControlId::WidthMinus, ControlId::WidthPlus, ControlId::HeightMinus, ControlId::HeightPlus,
      ControlId::CornerNW,  ControlId::CornerSW,   ControlId::CornerNE,    ControlId::CornerSE,
      ControlId::ResetExpand};
  for (ControlId button : buttons) {
    ChannelSettings r = Record();
    const EditEffect effect = ApplyPositionButton(r, button, 0, kNoPicture);
    EXPECT_TRUE(effect.rebuildMask) << ToInt(button);
    EXPECT_FALSE(effect.loadMaskPicture) << ToInt(button);
    EXPECT_FALSE(effect.refresh.has_value()) << ToInt(button);
  }
  ChannelSettings r = Record();
  const ChannelSettings before = r;
  EXPECT_EQ(ApplyPositionButton(r, ControlId::ChkEnable, 5, kNoPicture), EditEffect{});
  EXPECT_EQ(ApplyPositionButton(r, ToControlId(4242), 5, Picture(9, 9)), EditEffect{});
  EXPECT_EQ(r, before);
}

TEST(HeldButton, RightArrowFrom766ReachesTheEdgeOnTheFourthTick) {
  ChannelSettings r = Record();
  r.MaskPosX = 766;
  AutoRepeat repeat;
  Press(r, repeat, ControlId::MoveRight, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 767);
  const std::int32_t expected[8] = {767, 767, 767, 768, 768, 768, 768, 768};
  for (int i = 0; i < 8; ++i) {
    Tick(r, repeat, kNoPicture);
    EXPECT_EQ(r.MaskPosX, expected[i]) << "tick " << i + 1;
  }
}

TEST(HeldButton, DoubleClickMovesByTwo) {
  ChannelSettings r = Record();
  AutoRepeat repeat;
  Press(r, repeat, ControlId::MoveDown, kNoPicture);
  Tick(r, repeat, kNoPicture);
  Press(r, repeat, ControlId::MoveDown, kNoPicture);  // the double click restarts the sum
  Tick(r, repeat, kNoPicture);
  EXPECT_EQ(r.MaskPosY, 97);
}

TEST(HeldButton, LeftArrowFrom2StaysAtZero) {
  ChannelSettings r = Record();
  r.MaskPosX = 2;
  AutoRepeat repeat;
  Press(r, repeat, ControlId::MoveLeft, kNoPicture);
  EXPECT_EQ(r.MaskPosX, 1);
  for (int tick = 0; tick < 40; ++tick) {
    Tick(r, repeat, kNoPicture);
    EXPECT_GE(r.MaskPosX, 0);
  }
  EXPECT_EQ(r.MaskPosX, 0);
}

TEST(HeldButton, WidthPlusWithPictureStopsAtThirty) {
  ChannelSettings r = Record();
  r.ExpandX = 29;
  AutoRepeat repeat;
  Press(r, repeat, ControlId::WidthPlus, Picture(60, 60));
  for (int tick = 0; tick < 30; ++tick) Tick(r, repeat, Picture(60, 60));
  EXPECT_EQ(r.ExpandX, 30);
  EXPECT_EQ(r.RectMaskSizeX, 100);
}

TEST(MaskContextOf, ReadsLoadedFlagAndBaseMaskSize) {
  MaskRebuild mask;
  EXPECT_FALSE(MaskContextOf(mask).maskLoaded);
  mask.MaskLoaded = 1;
  mask.BaseMask.Resize(130, 90, 0, 0);
  const MaskContext context = MaskContextOf(mask);
  EXPECT_TRUE(context.maskLoaded);
  EXPECT_EQ(context.baseMask, (Size{130, 90}));
}

}  // namespace
}  // namespace kestrimo::ui
