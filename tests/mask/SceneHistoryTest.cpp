// The history under a photograph from Debian's archive, moved under a
// virtual camera behind an opaque logo: a pan shows again what the logo
// hides (in YUY2 and in bottom-up BGR frames), a still camera never does
// (but between letters its model tells apart, what is in view), a
// cut forgets everything, a frame whose motion the ring cannot tell keeps
// the history, and the work image keeps the fill wherever the history holds
// nothing.
#include "mask/SceneHistory.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/FrameGeometry.h"
#include "base/ImageBuffer.h"
#include "imaging/AreaPlan.h"
#include "imaging/FrameConversion.h"
#include "imaging/HistoryKernels.h"
#include "tests/mask/TestPhotos.h"

namespace kestrimo {
namespace {

constexpr std::int32_t kWidth = 720, kHeight = 576;
constexpr Point kOrigin{560, 40};
constexpr std::int32_t kMaskWidth = 100, kMaskHeight = 40;

// A logo of letters: bars 8 pixels wide, 12 apart, under a box-shaped mask.
bool Letter(std::int32_t x) { return x % 20 < 8; }

// Frames of a photograph seen from (x, y) (photograph pixels, 1/256) at 1:1,
// an opaque white box over the mask.
struct Frames {
  std::int32_t mode;
  const Photo& photo;
  std::vector<std::uint8_t> bytes;
  Frames(std::int32_t m, const Photo& p)
      : mode(m), photo(p), bytes(std::size_t{kWidth} * kHeight * (m == kFrameModeYuy2 ? 2 : 3)) {}
  void Set(std::int32_t x, std::int32_t y, std::uint8_t key) {
    if (mode == kFrameModeYuy2) {
      std::uint8_t* px = bytes.data() + (std::size_t(y) * kWidth + x) * 2;
      px[0] = key;
      px[1] = 128;
    } else {
      std::uint8_t* px = bytes.data() + (std::size_t(kHeight - 1 - y) * kWidth + x) * 3;
      px[0] = px[1] = px[2] = key;
    }
  }
  std::uint8_t Clean(std::int64_t x0, std::int64_t y0, std::int32_t x, std::int32_t y) const {
    return photo.At(photo.luma, x0 + 256 * std::int64_t{x}, y0 + 256 * std::int64_t{y});
  }
  // scrambled: each quarter about the logo's centre moved its own way, two
  // beyond the ring's reach, four motions that no single one explains.
  void Draw(std::int64_t x0, std::int64_t y0, bool scrambled, bool letters) {
    for (std::int32_t y = 0; y < kHeight; ++y)
      for (std::int32_t x = 0; x < kWidth; ++x) {
        const bool logo = x >= kOrigin.x && x < kOrigin.x + kMaskWidth && y >= kOrigin.y &&
                          y < kOrigin.y + kMaskHeight && (!letters || Letter(x - kOrigin.x));
        const bool left = x < kOrigin.x + kMaskWidth / 2, top = y < kOrigin.y + kMaskHeight / 2;
        const std::int32_t dx = scrambled ? (top ? (left ? 30 : 0) : (left ? -6 : 0)) : 0;
        const std::int32_t dy = scrambled ? (top ? (left ? 0 : 6) : (left ? 0 : -30)) : 0;
        Set(x, y, logo ? 235 : Clean(x0, y0, x + dx, y + dy));
      }
  }
};

struct Case {
  const char* name;
  std::int32_t mode;
  std::int32_t stepX, stepY;  // the camera's move per frame, 1/256 pixel
  std::int32_t cutAt;         // the frame that shows another part of the photograph, or -1
  std::int32_t scrambledAt;   // the frame drawn scrambled, or -1
  std::int32_t shownMin, shownMax;  // per mille of the logo's pixels the history holds at the end
  bool letters = false;       // the logo's letters drawn and modelled, the mask a box
  std::int32_t turnAt = -1;   // the first frame the camera moves back, or -1
};

const Case kCases[] = {
    {"pan, YUY2", kFrameModeYuy2, 3 * 256 + 128, 64, -1, -1, 900, 1000},
    {"pan, BGR frames", kFrameModeBgr, -(2 * 256 + 77), -96, -1, -1, 900, 1000},
    {"still camera", kFrameModeYuy2, 0, 0, -1, -1, 0, 0},
    {"cut just before the end", kFrameModeYuy2, 3 * 256 + 128, 64, 44, -1, 0, 100},
    // It and the next frame are told no motion; the history is carried
    // through them by the pan's and shows again on the last.
    {"a frame the ring cannot tell", kFrameModeYuy2, 3 * 256 + 128, 64, -1, 42, 900, 1000},
    // The picture between the letters, less their margins, is in view.
    {"still camera, letters", kFrameModeYuy2, 0, 0, -1, -1, 350, 420, true},
    // The pan turns back just after two frames the ring cannot tell, which
    // were carried on: what they carried is dropped, and little is seen
    // again in the two frames left.
    {"a pan that turns back after frames the ring cannot tell", kFrameModeYuy2, 3 * 256 + 128,
     64, -1, 36, 0, 400, false, 38},
};

TEST(SceneHistoryTest, ShowsWhatTheLogoHidesWhereTheCameraShowedIt) {
  Photo photo;
  if (!photo.Load("opencv/graf1.png")) GTEST_SKIP() << "Debian's photographs cannot be read here";
  ImageBuffer mask;
  mask.Resize(kMaskWidth, kMaskHeight, 0, 0);
  mask.FillAreaAlpha(mask.rect, 255, 0);
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    FrameGeometry geometry;
    geometry.SetFrameFormat(kWidth, kHeight, c.mode);
    SceneHistory history;
    history.Clear();
    LogoRemoval removal;
    if (c.letters) {
      removal.Model.width = kMaskWidth;
      removal.Model.height = kMaskHeight;
      for (std::int32_t y = 0; y < kMaskHeight; ++y)
        for (std::int32_t x = 0; x < kMaskWidth; ++x)
          removal.Model.pixels.push_back(Letter(x) ? 0xFFFFFFFFu : 0x30FFFFFFu);  // faint errors between
      removal.Rebuild({mask, {kMaskWidth, kMaskHeight}, {kMaskWidth, kMaskHeight}, kOrigin, mask.rect},
                      kWidth, kHeight, c.mode);
    }
    ASSERT_TRUE(history.Rebuild(mask, kOrigin, mask.rect, removal, geometry));
    Frames frames(c.mode, photo);
    std::int64_t x0 = 40 * 256, y0 = 60 * 256;
    constexpr std::int32_t kFrames = 46;
    for (std::int32_t f = 0; f < kFrames; ++f) {
      if (f == c.cutAt) y0 += 150 * 256;
      frames.Draw(x0, y0, f == c.scrambledAt, c.letters);
      history.Follow(frames.bytes.data(), geometry);
      if (f + 1 == kFrames) break;
      const std::int32_t way = c.turnAt < 0 || f + 1 < c.turnAt ? 1 : -1;
      x0 += way * c.stepX;
      y0 += way * c.stepY;
    }
    // The work image as the fill leaves it, in the frame mode's layout.
    const std::int32_t layout = c.mode == kFrameModeYuy2 ? kLayoutYuv : kLayoutBgrLuma;
    const std::int32_t key = c.mode == kFrameModeYuy2 ? 0 : 1;
    std::vector<std::uint32_t> work(std::size_t{kMaskWidth} * kMaskHeight, 0x4D4D4D4Du);
    history.Paint({work.data(), {kMaskWidth, kMaskHeight}, {0, 0, kMaskWidth, kMaskHeight}},
                  kOrigin);
    std::int32_t shown = 0, near = 0, none = 0, kept = 0;
    for (std::int32_t y = 0; y < kMaskHeight; ++y) {
      const std::int32_t memoryRow = IsBottomUpLayout(layout) ? kMaskHeight - 1 - y : y;
      for (std::int32_t x = 0; x < kMaskWidth; ++x) {
        const std::uint32_t pixel = work[std::size_t(memoryRow) * kMaskWidth + x];
        const std::int32_t got = (pixel >> (8 * key)) & 0xFF;
        const std::int32_t want = frames.Clean(x0, y0, kOrigin.x + x, kOrigin.y + y);
        if (history.AgeAt(kOrigin.x + x, kOrigin.y + y) != kNoHistory) {
          ++shown;
          near += std::abs(got - want) <= 24 ? 1 : 0;
        }
        // The fill stays where neither the pixel nor a neighbour has a history.
        bool nothing = true;
        for (std::int32_t j = y - 1; j <= y + 1; ++j)
          for (std::int32_t i = x - 1; i <= x + 1; ++i)
            nothing = nothing && history.AgeAt(kOrigin.x + i, kOrigin.y + j) == kNoHistory;
        none += nothing ? 1 : 0;
        kept += nothing && pixel == 0x4D4D4D4Du ? 1 : 0;
      }
    }
    const std::int32_t perMille = shown * 1000 / (kMaskWidth * kMaskHeight);
    EXPECT_GE(perMille, c.shownMin);
    EXPECT_LE(perMille, c.shownMax);
    // What it shows is the scene: within 24 levels, but for the blur and
    // the small errors of the motion that the carry adds up over the pan.
    EXPECT_GE(near * 100, shown * 85) << near << " of " << shown;
    EXPECT_EQ(kept, none);
  }
}

}  // namespace
}  // namespace kestrimo
