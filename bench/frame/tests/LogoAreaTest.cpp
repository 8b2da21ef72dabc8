#include "bench/frame/LogoArea.h"

#include <gtest/gtest.h>

namespace kestrimo::bench {
namespace {

TEST(LogoArea, RoundsHalvesAwayFromZero) {
  EXPECT_EQ(MulDivRound(5, 1, 2), 3);
  EXPECT_EQ(MulDivRound(-5, 1, 2), -3);
  EXPECT_EQ(MulDivRound(7, 1, 3), 2);
  EXPECT_EQ(MulDivRound(1, 1, 0), -1);
}

TEST(LogoArea, PlacesMasksAsThePlugInDocumentsThem) {
  // The plug-in's default rectangle on a 720 x 576 frame.
  EXPECT_EQ(AreaOfMask({110, 95, 100, 70}, 720, 576), (Area{56, 60, 94, 70}));
  // The worked example of the settings guide: x 78..141, y 68..121.
  EXPECT_EQ(AreaOfMask({117, 95, 68, 54}, 720, 576), (Area{78, 68, 64, 54}));
}

TEST(LogoArea, FindsTheRasterValuesOfAnArea) {
  const Area hd{60, 60, 300, 150};
  EXPECT_EQ(AreaOfMask(MaskForArea(hd, 1920, 1080), 1920, 1080), hd);
  // Where the raster's steps do not allow the exact area, the nearest one.
  for (const Area wanted : {Area{40, 40, 50, 25}, Area{40, 40, 150, 75}, Area{13, 7, 401, 199}}) {
    for (const auto& [w, h] : {std::pair{720, 576}, std::pair{1920, 1080}}) {
      const Area got = AreaOfMask(MaskForArea(wanted, w, h), w, h);
      EXPECT_LE(std::abs(got.x - wanted.x) + std::abs(got.width - wanted.width), 2)
          << Describe(wanted) << " on " << w << "x" << h << " gave " << Describe(got);
      EXPECT_LE(std::abs(got.y - wanted.y) + std::abs(got.height - wanted.height), 2)
          << Describe(wanted) << " on " << w << "x" << h << " gave " << Describe(got);
    }
  }
}

TEST(LogoArea, InteriorDropsTheRingAndVanishesForThinAreas) {
  EXPECT_EQ(Interior(Area{10, 20, 5, 4}), (Area{11, 21, 3, 2}));
  EXPECT_EQ(Interior(Area{10, 20, 2, 9}).Pixels(), 0);
}

}  // namespace
}  // namespace kestrimo::bench
