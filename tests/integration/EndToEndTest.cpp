// Logo removal end to end through the real library's exports: a prepared
// settings file turns processing on, 720 x 576 frames with a bright logo under
// the mask go through Telvaro_Plugin_PR's frame entry, and the output is
// checked (nothing outside the area changes, the logo is gone) and pinned by
// a hash that must be the same on every target.
#include <gtest/gtest.h>

#include <algorithm>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "imaging/BlurFilter.h"
#include "platform/ModuleInfo.h"
#include "tests/integration/PluginLibrary.h"
#include "tests/integration/TestFrame.h"

namespace kestrimo::testing {
namespace {

namespace fs = std::filesystem;

constexpr std::int32_t kWidth = 720, kHeight = 576;

// Output hashes (FNV-1a 64 over the whole frame), taken from the first run
// natively and confirmed under Wine. Every kernel is bit-exact, so they hold
// on both targets; a change means that the plug-in's output changed.
constexpr std::uint64_t kYuy2Plain = 0x32EC2166D08C12EC;
constexpr std::uint64_t kYuy2Blurred = 0x7BF878AD7F35CE0E;
constexpr std::uint64_t kBgrPlain = 0x1AF207318511D3F2;
constexpr std::uint64_t kBgrBlurred = 0xD6A87DC101A1454D;
constexpr std::uint64_t kYuy2TopLeft = 0x775FEFC99993789E;
constexpr std::uint64_t kBgrBottomRight = 0xF47CCCC70F56CDB4;
constexpr std::uint64_t kYuy2ChannelA = 0x88A4CF5E2C51C36E;
constexpr std::uint64_t kYuy2ChannelB = 0xB1F7FD09E9BE078E;
constexpr std::uint64_t kBgrChannelA = 0xDBFBC3E7A449E0D4;
constexpr std::uint64_t kBgrChannelB = 0x10C7A4FB9EC96616;

// Channels: DEFAULT (11) is the table's mask with processing on; 12 blurs;
// 13 and 14 hang over two frame edges each; 21 and 22 differ in every way.
constexpr const char* kSettings =
    "[DEFAULT]\r\nProcEnable=1\r\n"
    "[12]\r\nScreenBlur=3\r\nEdgeBlur=2\r\nProcEnable=1\r\n"
    "[13]\r\nMaskPosX=20\r\nMaskPosY=20\r\nProcEnable=1\r\n"
    "[14]\r\nMaskPosX=750\r\nMaskPosY=560\r\nProcEnable=1\r\n"
    "[21]\r\nMaskPosX=300\r\nMaskPosY=300\r\nRectMaskSizeX=60\r\nScreenBlur=2\r\nProcEnable=1\r\n"
    "[22]\r\nMaskPosX=600\r\nMaskPosY=450\r\nRectMaskSizeY=40\r\nEdgeBlur=1\r\nProcEnable=1\r\n";

// Logo blocks well inside each channel's area (frame pixels).
const Rect kDefaultLogo{80, 80, 130, 110};
const Rect kTopLeftLogo{5, 5, 40, 35};
const Rect kBottomRightLogo{670, 540, 710, 570};
const Rect kLogoA{260, 280, 300, 320};
const Rect kLogoB{540, 440, 590, 460};

std::int32_t KESTRIMO_CDECL HostKnowsAll(ChannelId) { return 1; }

fs::path ProgramFolder() {
  std::string path = OwnModulePath();  // this code lives in the test program
  std::replace(path.begin(), path.end(), '\\', static_cast<char>(fs::path::preferred_separator));
  return fs::path(path).parent_path();
}

PluginDescriptor* Plugin() { return DescriptorExport() != nullptr ? DescriptorExport()() : nullptr; }

// Writes the settings file beside the program (the plug-in reads it once, at
// Plugin_Init) and removes what it made when the run ends.
class PreparedSettings : public ::testing::Environment {
 public:
  void SetUp() override {
    plugins_ = ProgramFolder() / "Plugins";
    madeFolder_ = fs::create_directory(plugins_);
    std::ofstream(plugins_ / "KRD_Kestrimo.ini", std::ios::binary) << kSettings;
    if (PluginDescriptor* plugin = Plugin()) {
      PluginHostInfo host{0, &HostKnowsAll};
      plugin->init(&host);
    }
  }
  void TearDown() override {
    if (PluginDescriptor* plugin = Plugin()) plugin->done();
    std::error_code error;
    fs::remove(plugins_ / "KRD_Kestrimo.ini", error);
    if (madeFolder_) fs::remove(plugins_, error);
  }

 private:
  fs::path plugins_;
  bool madeFolder_ = false;
};
const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new PreparedSettings);

// A channel's area in frame pixels, worked out from its reference-raster
// settings: the rectangle grown by twice the edge blur's radius on each side,
// centred on the scaled position.
Rect ExpectedArea(std::int32_t posX, std::int32_t posY, std::int32_t sizeX, std::int32_t sizeY,
                  std::uint32_t edgeBlur) {
  BlurFilter blur;
  blur.SetWidths(static_cast<float>(edgeBlur));
  const std::int32_t r = blur.HorizontalRadius();
  auto scale = [](std::int32_t frame, std::int32_t v, std::int32_t reference) {
    return static_cast<std::int32_t>((std::int64_t{frame} * v + reference / 2) / reference);
  };
  const std::int32_t w = scale(kWidth, sizeX + 4 * r, 768), h = scale(kHeight, sizeY + 4 * r, 576);
  const std::int32_t left = scale(kWidth, posX, 768) - w / 2;
  const std::int32_t top = scale(kHeight, posY, 576) - h / 2;
  return {left, top, left + w, top + h};
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(Plugin(), nullptr) << LoadError();
    plugin = Plugin();
  }
  void Format(FrameFormat format) {
    VideoFormat video{kWidth, kHeight, 0, format == FrameFormat::Yuy2 ? 0 : 1, 3};
    ASSERT_EQ(plugin->setFormat(&video), 1);
  }
  // Sends a fresh copy of `picture` on `id` and returns the output.
  TestFrame Send(const TestFrame& picture, ChannelId id) {
    TestFrame frame = picture;
    channel.id = id;
    std::snprintf(channel.name, sizeof channel.name, "Channel %d", static_cast<int>(id));
    FrameInfo info{};
    info.pixels = frame.data();
    info.channel = &channel;
    EXPECT_EQ(plugin->processFrame(&info), 1);
    return frame;
  }
  static TestFrame Picture(FrameFormat format, const std::vector<Rect>& logos) {
    TestFrame frame(format, kWidth, kHeight);
    frame.Paint(logos);
    return frame;
  }
  // No byte of a pixel outside the area (in YUY2: outside the area's whole
  // pixel pairs, which share their chroma) differs from the input.
  static void ExpectUnchangedOutside(const TestFrame& in, const TestFrame& out, Rect area) {
    if (in.BytesPerPixel() == 2) {
      area.left &= ~1;
      area.right = (area.right + 1) & ~1;
    }
    std::int32_t changedOutside = 0;
    for (std::int32_t y = 0; y < kHeight; ++y)
      for (std::int32_t x = 0; x < kWidth; ++x) {
        if (x >= area.left && x < area.right && y >= area.top && y < area.bottom) continue;
        for (int b = 0; b < in.BytesPerPixel(); ++b)
          if (in.At(x, y, b) != out.At(x, y, b) && ++changedOutside <= 5)
            ADD_FAILURE() << "pixel " << x << "," << y << " byte " << b << " changed outside the area";
      }
    EXPECT_EQ(changedOutside, 0);
  }
  // Every byte of the logo block lies in the background's range now.
  static void ExpectLogoGone(const TestFrame& out, const Rect& logo) {
    std::int32_t bright = 0;
    for (std::int32_t y = logo.top; y < logo.bottom; ++y)
      for (std::int32_t x = logo.left; x < logo.right; ++x)
        for (int b = 0; b < out.BytesPerPixel(); ++b) {
          const std::uint8_t v = out.At(x, y, b);
          if ((v < out.BackgroundMin(x, b) || v > out.BackgroundMax(x, b)) && ++bright <= 5)
            ADD_FAILURE() << "pixel " << x << "," << y << " byte " << b << " is " << int{v};
        }
    EXPECT_EQ(bright, 0);
  }
  static void ExpectLogoKept(const TestFrame& in, const TestFrame& out, const Rect& logo) {
    for (std::int32_t y = logo.top; y < logo.bottom; ++y)
      for (std::int32_t x = logo.left; x < logo.right; ++x)
        ASSERT_EQ(out.At(x, y, 0), in.At(x, y, 0)) << x << "," << y;
  }
  static void ExpectHash(const TestFrame& out, std::uint64_t expected) {
    const std::uint64_t actual = Fnv1a64(out.Bytes());
    char text[32];
    std::snprintf(text, sizeof text, "0x%016" PRIX64, actual);
    EXPECT_EQ(actual, expected) << "output hash " << text;
  }
  // One channel's frame twice: the area rebuilt, nothing else touched, the
  // same output again on the second frame, and the pinned hash.
  void RunCase(FrameFormat format, ChannelId id, const Rect& logo, const Rect& area,
               std::uint64_t hash) {
    Format(format);
    const TestFrame in = Picture(format, {logo});
    const TestFrame out = Send(in, id);
    ExpectUnchangedOutside(in, out, area);
    ExpectLogoGone(out, logo);
    EXPECT_EQ(Send(in, id).Bytes(), out.Bytes()) << "a steady channel repeats its output";
    ExpectHash(out, hash);
  }

  PluginDescriptor* plugin = nullptr;
  ChannelInfo channel{};
};

Rect DefaultArea() { return ExpectedArea(110, 95, 100, 70, 0); }

TEST_F(EndToEnd, DefaultAreaIsWhereTheSettingsFileSaysItIs) {
  EXPECT_EQ(DefaultArea(), (Rect{56, 60, 150, 130}));
}

TEST_F(EndToEnd, Yuy2DefaultMask) {
  RunCase(FrameFormat::Yuy2, 11, kDefaultLogo, DefaultArea(), kYuy2Plain);
}

TEST_F(EndToEnd, Yuy2ScreenAndEdgeBlur) {
  RunCase(FrameFormat::Yuy2, 12, kDefaultLogo, ExpectedArea(110, 95, 100, 70, 2), kYuy2Blurred);
}

TEST_F(EndToEnd, Bgr24DefaultMask) {
  RunCase(FrameFormat::Bgr24, 11, kDefaultLogo, DefaultArea(), kBgrPlain);
}

TEST_F(EndToEnd, Bgr24ScreenAndEdgeBlur) {
  RunCase(FrameFormat::Bgr24, 12, kDefaultLogo, ExpectedArea(110, 95, 100, 70, 2), kBgrBlurred);
}

TEST_F(EndToEnd, Yuy2AreaOverTheTopLeftCorner) {
  const Rect area = ExpectedArea(20, 20, 100, 70, 0);
  ASSERT_LT(area.left, 0);
  ASSERT_LT(area.top, 0);
  RunCase(FrameFormat::Yuy2, 13, kTopLeftLogo, area, kYuy2TopLeft);
}

TEST_F(EndToEnd, Bgr24AreaOverTheBottomRightCorner) {
  const Rect area = ExpectedArea(750, 560, 100, 70, 0);
  ASSERT_GT(area.right, kWidth);
  ASSERT_GT(area.bottom, kHeight);
  RunCase(FrameFormat::Bgr24, 14, kBottomRightLogo, area, kBgrBottomRight);
}

// Two channels with their own settings alternate: each removes its own logo
// only, and each gives the same output every time it comes back.
TEST_F(EndToEnd, ChannelSwitchFollowsEachChannelsSettings) {
  const Rect areaA = ExpectedArea(300, 300, 60, 70, 0);
  const Rect areaB = ExpectedArea(600, 450, 100, 40, 1);
  const std::uint64_t hashes[2][2] = {{kYuy2ChannelA, kYuy2ChannelB}, {kBgrChannelA, kBgrChannelB}};
  for (FrameFormat format : {FrameFormat::Yuy2, FrameFormat::Bgr24}) {
    SCOPED_TRACE(format == FrameFormat::Yuy2 ? "YUY2" : "BGR24");
    Format(format);
    const TestFrame in = Picture(format, {kLogoA, kLogoB});
    const TestFrame a = Send(in, 21);
    const TestFrame b = Send(in, 22);
    ExpectUnchangedOutside(in, a, areaA);
    ExpectLogoGone(a, kLogoA);
    ExpectLogoKept(in, a, kLogoB);
    ExpectUnchangedOutside(in, b, areaB);
    ExpectLogoGone(b, kLogoB);
    ExpectLogoKept(in, b, kLogoA);
    for (int round = 0; round < 2; ++round) {
      EXPECT_EQ(Send(in, 21).Bytes(), a.Bytes()) << "back on channel 21";
      EXPECT_EQ(Send(in, 22).Bytes(), b.Bytes()) << "back on channel 22";
    }
    const int f = format == FrameFormat::Yuy2 ? 0 : 1;
    ExpectHash(a, hashes[f][0]);
    ExpectHash(b, hashes[f][1]);
  }
}

}  // namespace
}  // namespace kestrimo::testing
