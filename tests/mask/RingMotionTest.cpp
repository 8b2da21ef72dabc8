// Following the camera on photographs from Debian's archive, sampled under
// a virtual camera (bilinear, fractions of a pixel, zooms) into two
// successive 1920 x 1080 frames with an opaque logo over the area: the
// motion found must match the camera's within a tenth of a pixel at the
// ring; a patch of another photograph moving its own way through the ring
// must not spoil it; another photograph is a cut; a still camera is no
// motion at all; a faint one (a fifth of the contrast) is still followed;
// a flat ring tells nothing. At the frame's edge, a block
// whose match lies on the edge is measured without reading past it. The pictures are drawn in
// integers, so both targets see the same frames and must find the same
// numbers, which each row holds.
#include "mask/RingMotion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "base/FrameGeometry.h"
#include "tests/mask/TestPhotos.h"

namespace kestrimo {
namespace {

using Kind = SceneMotion::Kind;

constexpr std::int32_t kWidth = 1920, kHeight = 1080, kRing = 32, kMargin = 4;
constexpr Rect kArea{1560, 60, 1820, 170};  // 260 x 110, top right
constexpr Rect kLogo{1566, 66, 1814, 164};  // opaque, drawn over the area

// Frame pixel x shows photograph point centre + step * (x - c), c the
// area's centre: centre in 1/256 photograph pixel, step in 1/65536.
struct Camera {
  std::int64_t x, y, step;
  std::int64_t PhotoX(std::int32_t fx) const {
    return x + ((step * (2 * fx - (kArea.left + kArea.right - 1))) >> 9);
  }
  std::int64_t PhotoY(std::int32_t fy) const {
    return y + ((step * (2 * fy - (kArea.top + kArea.bottom - 1))) >> 9);
  }
};

struct Frame {
  std::int32_t mode;
  std::vector<std::uint8_t> bytes;
  explicit Frame(std::int32_t m)
      : mode(m), bytes(static_cast<std::size_t>(kWidth) * kHeight * (m == kFrameModeYuy2 ? 2 : 3), 16) {}
  void Set(std::int32_t x, std::int32_t y, std::uint8_t key) {
    if (mode == kFrameModeYuy2) {
      std::uint8_t* p = bytes.data() + (static_cast<std::size_t>(y) * kWidth + x) * 2;
      p[0] = key;
      p[1] = 128;
    } else {
      std::uint8_t* p = bytes.data() + (static_cast<std::size_t>(kHeight - 1 - y) * kWidth + x) * 3;
      p[0] = p[2] = static_cast<std::uint8_t>(255 - key);
      p[1] = key;
    }
  }
};

// The frames are drawn around the window only: the search reaches no further.
constexpr Rect kDrawn{kArea.left - kRing - 80, 0, kWidth, kArea.bottom + kRing + 80};

void Draw(Frame& frame, const Photo& photo, const Camera& camera, const Rect& part,
          std::int32_t contrast = 100) {
  const auto& plane = frame.mode == kFrameModeYuy2 ? photo.luma : photo.green;
  for (std::int32_t y = part.top; y < part.bottom; ++y)
    for (std::int32_t x = part.left; x < part.right; ++x) {
      const std::int32_t v = photo.At(plane, camera.PhotoX(x), camera.PhotoY(y));
      frame.Set(x, y, static_cast<std::uint8_t>(128 + (v - 128) * contrast / 100));
    }
}

void DrawLogo(Frame& frame) {
  for (std::int32_t y = kLogo.top; y < kLogo.bottom; ++y)
    for (std::int32_t x = kLogo.left; x < kLogo.right; ++x) frame.Set(x, y, 235);
}

struct Case {
  const char* name;
  const char* photo;        // "" for a black picture
  std::int32_t mode;
  Camera first;             // the first frame's camera
  std::int32_t shiftX, shiftY, zoom;  // the motion to the second, 1/256 and 1/65536
  const char* other;        // the second frame's photograph (a cut), or the patch's
  bool cut;
  SceneMotion exact;        // what both targets find, to the last unit
  std::int32_t contrast = 100;  // percent of the photograph's about mid-grey
};

constexpr Camera Centred(std::int64_t x, std::int64_t y, std::int64_t step) {
  return {x * 256, y * 256, step};
}

const Case kCases[] = {
    {"still camera", "astronaut.png", kFrameModeYuy2, Centred(256, 200, 58982), 0, 0, 65536, "",
     false, {Kind::Tracked, 0, 0, 65536}},
    {"slow pan", "coffee.png", kFrameModeYuy2, Centred(300, 200, 58982), 1869, -653, 65536, "",
     false, {Kind::Tracked, 1852, -656, 65531}},
    {"pan, BGR frames", "motorcycle_left.png", kFrameModeBgr, Centred(370, 250, 65536), -947, 1331,
     65536, "", false, {Kind::Tracked, -948, 1331, 65538}},
    {"zooming in", "opencv/graf1.png", kFrameModeYuy2, Centred(400, 320, 65536), 154, -102, 67174,
     "", false, {Kind::Tracked, 150, -104, 67179}},
    {"zooming out, panning", "astronaut.png", kFrameModeYuy2, Centred(250, 260, 52429), -1075, 333,
     63898, "", false, {Kind::Tracked, -1073, 339, 63891}},
    {"fast pan", "chelsea.png", kFrameModeYuy2, Centred(225, 150, 58982), -5786, 794,
     65536, "", false, {Kind::Tracked, -5793, 792, 65531}},
    {"a patch moving through the ring", "coffee.png", kFrameModeYuy2, Centred(300, 200, 65536), 614,
     -282, 65536, "chelsea.png", false, {Kind::Tracked, 609, -282, 65537}},
    {"cut", "astronaut.png", kFrameModeYuy2, Centred(256, 256, 65536), 0, 0, 65536, "coffee.png",
     true, {Kind::Cut, 0, 0, 65536}},
    {"haze", "coffee.png", kFrameModeYuy2, Centred(300, 200, 58982), 1869, -653, 65536, "",
     false, {Kind::Tracked, 1849, -659, 65506}, 20},
    {"black", "", kFrameModeYuy2, Centred(0, 0, 65536), 0, 0, 65536, "", false,
     {Kind::Unknown, 0, 0, 65536}},
    {"sky", "camera.png", kFrameModeYuy2, Centred(240, 40, 8192), 300, 100, 65536, "", false,
     {Kind::Unknown, 0, 0, 65536}},
};

// How far the found motion puts a point of the ring from where the camera
// put it, at the window's corners (1/256 pixel).
std::int64_t ErrorAtRing(const SceneMotion& found, const Camera& a, const Camera& b) {
  std::int64_t worst = 0;
  const std::int64_t cx2 = kArea.left + kArea.right - 1, cy2 = kArea.top + kArea.bottom - 1;
  for (const std::int32_t x : {kArea.left - kRing, kArea.right + kRing - 1}) {
    for (const std::int32_t y : {kArea.top - kRing, kArea.bottom + kRing - 1}) {
      // Where frame b's pixel (x, y) lay in frame a, in 1/256 pixel.
      const std::int64_t trueX = 2 * 256 * x - cx2 * 256;
      const std::int64_t trueY = 2 * 256 * y - cy2 * 256;
      const std::int64_t wantX = (trueX * b.step / a.step + (b.x - a.x) * 2 * 65536 / a.step);
      const std::int64_t wantY = (trueY * b.step / a.step + (b.y - a.y) * 2 * 65536 / a.step);
      const std::int64_t gotX = trueX * found.zoom / 65536 + 2 * std::int64_t{found.shiftX};
      const std::int64_t gotY = trueY * found.zoom / 65536 + 2 * std::int64_t{found.shiftY};
      worst = std::max({worst, std::abs(gotX - wantX) / 2, std::abs(gotY - wantY) / 2});
    }
  }
  return worst;
}

TEST(RingMotionTest, FollowsTheCameraOnPhotographs) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    Photo photo, other;
    if ((*c.photo != 0 && !photo.Load(c.photo)) || (*c.other != 0 && !other.Load(c.other)))
      GTEST_SKIP() << "the photographs of Debian's archive cannot be read here";
    FrameGeometry geometry;
    geometry.SetFrameFormat(kWidth, kHeight, c.mode);
    const Camera second{c.first.x + c.shiftX * c.first.step / 65536,
                        c.first.y + c.shiftY * c.first.step / 65536,
                        c.first.step * c.zoom / 65536};
    Frame frames[2] = {Frame(c.mode), Frame(c.mode)};
    for (int f = 0; f < 2; ++f) {
      const Photo& shown = f == 1 && c.cut ? other : photo;
      if (shown.width > 0) Draw(frames[f], shown, f == 0 ? c.first : second, kDrawn, c.contrast);
      if (!c.cut && other.width > 0) {
        // 120 x 70 pixels of the other photograph over the ring's left side,
        // moving 10 pixels left and 6 down while the camera pans.
        const Rect patch{kArea.left - 60 - 10 * f, kArea.top + 10 + 6 * f, 0, 0};
        const Camera still = Centred(220, 150, 65536);
        Draw(frames[f], other, still, {patch.left, patch.top, patch.left + 120, patch.top + 70});
      }
      DrawLogo(frames[f]);
    }
    const Rect window{kArea.left - kRing, kArea.top - kRing, kArea.right + kRing, kArea.bottom + kRing};
    std::vector<std::uint8_t> usable(static_cast<std::size_t>(window.Width()) * window.Height());
    for (std::int32_t y = window.top; y < window.bottom; ++y)
      for (std::int32_t x = window.left; x < window.right; ++x)
        usable[static_cast<std::size_t>(y - window.top) * window.Width() + (x - window.left)] =
            x < kLogo.left - kMargin || x >= kLogo.right + kMargin || y < kLogo.top - kMargin ||
            y >= kLogo.bottom + kMargin;
    RingMotion ring;
    ASSERT_TRUE(ring.Rebuild(kArea, window, usable.data(), geometry));
    EXPECT_EQ(ring.Track(frames[0].bytes.data(), geometry).kind, Kind::Unknown);  // nothing before
    const SceneMotion found = ring.Track(frames[1].bytes.data(), geometry);
    const RingMotion::Counts& n = ring.LastCounts();
    const std::string seen = "blocks " + std::to_string(n.blocks) + " textured " +
                             std::to_string(n.textured) + " found " + std::to_string(n.found) +
                             " agreeing " + std::to_string(n.agreeing) + (n.wide ? " wide" : "") +
                             (n.faint ? " faint" : "") +
                             "; shift " + std::to_string(found.shiftX) + ", " +
                             std::to_string(found.shiftY) + " zoom " + std::to_string(found.zoom);
    ASSERT_EQ(found.kind, c.exact.kind) << seen;
    if (c.exact.kind == Kind::Tracked) {
      // A tenth of a pixel; a fifth on a faint picture.
      EXPECT_LE(ErrorAtRing(found, c.first, second), c.contrast < 100 ? 51 : 26) << seen;
    }
    EXPECT_EQ(found, c.exact) << seen;
  }
}

// An area in the frame's top-left corner, the picture moving down 4 to 20
// pixels a frame: the ring's blocks 4 to 20 rows down then match on the
// frame's top row, and the measure of the fraction of a pixel about that
// match must not read above it (AddressSanitizer tells).
TEST(RingMotionTest, FollowsThePictureOutOfTheFrame) {
  Photo photo;
  if (!photo.Load("coffee.png")) GTEST_SKIP() << "the photographs of Debian's archive cannot be read here";
  FrameGeometry geometry;
  geometry.SetFrameFormat(kWidth, kHeight, kFrameModeYuy2);
  const Rect area{0, 0, 260, 110}, window{0, 0, area.right + kRing, area.bottom + kRing};
  std::vector<std::uint8_t> usable(static_cast<std::size_t>(window.Width()) * window.Height());
  for (std::int32_t y = 0; y < window.bottom; ++y)
    for (std::int32_t x = 0; x < window.right; ++x)
      usable[static_cast<std::size_t>(y) * window.Width() + x] = x >= area.right || y >= area.bottom;
  for (const std::int32_t down : {4, 8, 12, 16, 20}) {
    SCOPED_TRACE("down " + std::to_string(down));
    RingMotion ring;
    ASSERT_TRUE(ring.Rebuild(area, window, usable.data(), geometry));
    SceneMotion found;
    for (std::int32_t f = 0; f < 3; ++f) {
      Frame frame(kFrameModeYuy2);
      // (the camera's centre is kArea's: 1790, 165 puts photograph point 100, 50 at the corner)
      Draw(frame, photo, Centred(1790, 165 - down * f, 65536), {0, 0, 400, 300});
      found = ring.Track(frame.bytes.data(), geometry);
    }
    const RingMotion::Counts& n = ring.LastCounts();
    ASSERT_EQ(found.kind, Kind::Tracked) << "textured blocks " << n.textured << " found " << n.found;
    EXPECT_LE(std::abs(found.shiftY + down * 256), 26);
  }
}

}  // namespace
}  // namespace kestrimo
