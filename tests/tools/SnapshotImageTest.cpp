#include "tools/kestrimo-host/pictures/SnapshotImage.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "tests/settings/SettingsTestFiles.h"
#include "tests/tools/PictureDecoding.h"
#include "tools/kestrimo-host/pictures/Snapshots.h"

namespace kestrimo {
namespace {

using Bytes = std::vector<std::uint8_t>;

int Reference(double value) {
  return static_cast<int>(std::lround(std::fmin(255.0, std::fmax(0.0, value))));
}

TEST(SnapshotColours, FollowFullRangeBt601WithinRounding) {
  for (int y : {0, 1, 16, 128, 235, 254, 255}) {
    for (int u = 0; u < 256; u += 3) {
      for (int v = 0; v < 256; v += 5) {
        const std::uint8_t pair[4] = {static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(u),
                                      static_cast<std::uint8_t>(y), static_cast<std::uint8_t>(v)};
        std::uint8_t rgb[6];
        Yuy2PairToRgb(pair, rgb);
        const int r = Reference(y + 1.402 * (v - 128));
        const int g = Reference(y - 0.344136 * (u - 128) - 0.714136 * (v - 128));
        const int b = Reference(y + 1.772 * (u - 128));
        ASSERT_LE(std::abs(rgb[0] - r), 1) << y << " " << u << " " << v;
        ASSERT_LE(std::abs(rgb[1] - g), 1) << y << " " << u << " " << v;
        ASSERT_LE(std::abs(rgb[2] - b), 1) << y << " " << u << " " << v;
      }
    }
  }
}

TEST(SnapshotColours, KeepGreysExactAndGiveEachPixelOfAPairItsOwnLuma) {
  const std::uint8_t pair[4] = {0, 128, 255, 128};
  std::uint8_t rgb[6];
  Yuy2PairToRgb(pair, rgb);
  EXPECT_EQ(Bytes(rgb, rgb + 6), (Bytes{0, 0, 0, 255, 255, 255}));
  const std::uint8_t red[4] = {76, 85, 76, 255};  // full-range red, both pixels
  Yuy2PairToRgb(red, rgb);
  EXPECT_GE(rgb[0], 253);
  EXPECT_LE(rgb[1], 1);
  EXPECT_LE(rgb[2], 1);
}

TEST(SnapshotFrames, FlipBgrRowsAndHonourTheStride) {
  // Two rows, bottom-up: the stored first row is the picture's last.
  const Bytes frame = {1, 2, 3, 4, 5, 6,  // bottom row
                       7, 8, 9, 10, 11, 12};
  const std::size_t stride = 8;
  Bytes rgb(2 * stride, 0xEE);
  FrameToRgb(StreamFormat::Bgr24, {2, 2}, frame.data(), rgb.data(), stride);
  EXPECT_EQ(rgb, (Bytes{9, 8, 7, 12, 11, 10, 0xEE, 0xEE, 3, 2, 1, 6, 5, 4, 0xEE, 0xEE}));
}

TEST(SnapshotFrames, KeepYuy2RowsTopDown) {
  const Bytes frame = {0, 128, 10, 128,  // top row
                       200, 128, 255, 128};
  Bytes rgb(12);
  FrameToRgb(StreamFormat::Yuyv422, {2, 2}, frame.data(), rgb.data(), 6);
  EXPECT_EQ(rgb, (Bytes{0, 0, 0, 10, 10, 10, 200, 200, 200, 255, 255, 255}));
}

Bytes ReadFile(const std::filesystem::path& path) {
  std::ifstream file(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
}

TEST(Snapshots, WriteEveryRequestOfAFrameAndReportThoseNeverReached) {
  testing::TempFolder folder;
  const auto file = [&](const char* name) { return (folder.Path() / name).string(); };
  Snapshots snapshots({{5, file("late.png")}, {1, file("a.png")}, {1, file("b.png")}});
  snapshots.Start(StreamFormat::Bgr24, {4, 3});
  Bytes frame(4 * 3 * 3, 50);
  std::vector<std::int64_t> wanted;
  for (std::int64_t index = 0; index < 3; ++index) {
    if (!snapshots.Wants(index)) continue;
    wanted.push_back(index);
    snapshots.KeepBefore(frame.data());
    frame.assign(frame.size(), 99);  // the plug-in's work
    snapshots.WriteAfter(frame.data());
  }
  EXPECT_EQ(wanted, (std::vector<std::int64_t>{1}));
  for (const char* name : {"a.png", "b.png"}) {
    const testing::DecodedPicture picture = testing::DecodePicture(ReadFile(folder.Path() / name));
    ASSERT_EQ(picture.width, 8) << name << ": twice the frame width";
    ASSERT_EQ(picture.height, 3) << name;
    for (int y = 0; y < 3; ++y) {
      const auto row = picture.rgb.begin() + 3 * 8 * y;
      EXPECT_EQ(Bytes(row, row + 12), Bytes(12, 50)) << name << ": before, row " << y;
      EXPECT_EQ(Bytes(row + 12, row + 24), Bytes(12, 99)) << name << ": after, row " << y;
    }
  }
  const std::string missed = snapshots.Problems(3);
  EXPECT_NE(missed.find("late.png"), std::string::npos) << missed;
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "late.png"));
}

// Refused before the run where it can be told; else reported at the end.
TEST(Snapshots, ReportAPictureThatCannotBeWritten) {
  testing::TempFolder folder;
  Snapshots snapshots({{0, (folder.Path() / "no" / "such" / "x.png").string()}});
  EXPECT_NE(snapshots.CheckFiles().find("x.png"), std::string::npos);
  snapshots.Start(StreamFormat::Yuyv422, {2, 1});
  Bytes frame = {16, 128, 16, 128};
  ASSERT_TRUE(snapshots.Wants(0));
  snapshots.KeepBefore(frame.data());
  snapshots.WriteAfter(frame.data());
  EXPECT_FALSE(snapshots.Wants(0));
  EXPECT_NE(snapshots.Problems(1).find("x.png"), std::string::npos);
  Snapshots fine({{0, (folder.Path() / "y.png").string()}});
  EXPECT_EQ(fine.CheckFiles(), "");
  EXPECT_FALSE(std::filesystem::exists(folder.Path() / "y.png")) << "the probe leaves no file";
}

}  // namespace
}  // namespace kestrimo
