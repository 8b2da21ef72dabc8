#include "bench/frame/LogoOverlay.h"

#include <gtest/gtest.h>

namespace kestrimo::bench {
namespace {

PackedFrame Grey(int width, int height, FrameMode mode) {
  RgbPicture p{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height * 3, 90)};
  return mode == FrameMode::Yuy2 ? ToYuy2(p) : ToBgr24(p);
}

// The logo must leave every byte of the area's ring (what the removers start
// from) and of the frame around it as it was, chroma included, and cover a
// fair part of the pixels to rebuild.
void ExpectLogoInsideInterior(FrameMode mode, const Area& area) {
  const PackedFrame clean = Grey(64, 40, mode);
  PackedFrame logo = clean;
  OverlayLogo(logo, Interior(area));
  const Area rebuilt = Interior(area);
  long covered = 0;
  for (int y = 0; y < clean.height; ++y) {
    for (int x = 0; x < clean.width; ++x) {
      const bool inside = x >= rebuilt.x && x < rebuilt.x + rebuilt.width && y >= rebuilt.y &&
                          y < rebuilt.y + rebuilt.height;
      const int bytes = clean.BytesPerPixel();
      for (int k = 0; k < bytes; ++k) {
        const bool same = clean.Row(y)[x * bytes + k] == logo.Row(y)[x * bytes + k];
        if (!inside) {
          ASSERT_TRUE(same) << Name(mode) << " " << Describe(area) << " pixel " << x << "," << y
                            << " byte " << k;
        }
      }
      covered += inside && clean.Row(y)[x * bytes] != logo.Row(y)[x * bytes];
    }
  }
  EXPECT_GT(covered, rebuilt.Pixels() / 5) << Name(mode) << " " << Describe(area);
}

TEST(LogoOverlay, StaysInsideThePixelsToRebuild) {
  for (FrameMode mode : {FrameMode::Yuy2, FrameMode::Bgr24}) {
    ExpectLogoInsideInterior(mode, Area{10, 5, 40, 20});  // even left edge
    ExpectLogoInsideInterior(mode, Area{11, 6, 41, 21});  // odd edges: pairs straddle the ring
    ExpectLogoInsideInterior(mode, Area{0, 0, 64, 40});   // the whole frame
  }
}

TEST(LogoOverlay, TooSmallAreaGetsNoLogo) {
  PackedFrame frame = Grey(16, 8, FrameMode::Yuy2);
  const PackedFrame before = frame;
  OverlayLogo(frame, Interior(Area{2, 2, 3, 3}));
  EXPECT_EQ(frame.bytes, before.bytes);
}

}  // namespace
}  // namespace kestrimo::bench
