// Mask pictures that lie: cut short, empty, or claiming sizes far beyond
// their bytes. Their channel's rebuild falls back to the rectangle (the file
// name is forgotten) and frames are processed exactly as for a channel that
// never named a picture.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "plugin/EntryPoints.h"
#include "engine/FrameDriver.h"
#include "tests/integration/TestFrame.h"
#include "tests/support/PictureFiles.h"

namespace kestrimo {
namespace {

using testing::FrameFormat;
using testing::TestFrame;

constexpr std::int32_t kWidth = 720, kHeight = 576;

void PutLe32(std::string& bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
}
void PutBe32(std::string& bytes, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * (3 - i)));
}

std::uint32_t Crc32(const char* data, std::size_t size) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (std::size_t i = 0; i < size; ++i) {
    crc ^= static_cast<std::uint8_t>(data[i]);
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

// A bitmap whose header claims width x height; its rows are those of 8 x 8.
std::string BitmapClaiming(std::int32_t width, std::int32_t height) {
  std::string bytes = testing::EncodeBmp(testing::PatternPicture(8, 8, 5), 32);
  PutLe32(bytes, 18, static_cast<std::uint32_t>(width));
  PutLe32(bytes, 22, static_cast<std::uint32_t>(height));
  return bytes;
}

// A PNG whose header chunk (with a correct checksum) claims width x height.
std::string PngClaiming(std::uint32_t width, std::uint32_t height) {
  std::string bytes = testing::EncodePng(testing::PatternPicture(8, 8, 6), false);
  PutBe32(bytes, 16, width);
  PutBe32(bytes, 20, height);
  PutBe32(bytes, 29, Crc32(bytes.data() + 12, 17));
  return bytes;
}

// A GIF whose logical screen and image claim 65535 x 65535.
std::string GifClaimingEverything() {
  std::string bytes = testing::EncodeGif(8, 8, {{0, 0, testing::PatternPicture(8, 8, 7), 1}});
  bytes[6] = bytes[7] = bytes[8] = bytes[9] = '\xFF';
  const std::size_t image = bytes.find('\x2C');  // image descriptor
  if (image != std::string::npos && image + 9 <= bytes.size())
    for (std::size_t i = image + 5; i < image + 9; ++i) bytes[i] = '\xFF';
  return bytes;
}

class HostilePicture : public ::testing::TestWithParam<FrameFormat> {
 protected:
  void SetUp() override {
    for (PluginState* s : {&state, &reference}) {
      s->DefaultSettings = TableDefaults();
      s->DefaultSettings.ProcEnable = 1;
      s->DefaultSettings.EdgeBlur = 2;
      VideoFormat video{kWidth, kHeight, 0, GetParam() == FrameFormat::Yuy2 ? 0 : 1, 3};
      PluginSetFormat(*s, &video);
    }
    picture.Paint({{80, 80, 130, 110}});
  }
  std::vector<std::uint8_t> Send(PluginState& s, ChannelId id) {
    TestFrame frame = picture;
    ChannelInfo channel{};
    channel.id = id;
    FrameInfo info{};
    info.pixels = frame.data();
    info.channel = &channel;
    EXPECT_EQ(ProcessFrame(s, &info), 1);
    return frame.Bytes();
  }
  // A channel naming `fileName`: the picture is refused and its frames come
  // out as the plain rectangle's.
  void ExpectRectangleFallback(const std::string& fileName, const char* what) {
    SCOPED_TRACE(what);
    const ChannelId id = ++lastId;
    state.ChannelList.push_back(state.DefaultSettings);
    state.ChannelList.back().Id = id;
    state.ChannelList.back().MaskFileName = fileName;
    const std::vector<std::uint8_t> out = Send(state, id);
    EXPECT_EQ(state.Mask.MaskLoaded, 0);
    EXPECT_EQ(state.CurrentRecord()->MaskFileName, "");
    EXPECT_EQ(out, Send(reference, 1)) << "the frame is processed with the rectangle";
    EXPECT_EQ(Send(state, id), out) << "and so is the next frame";
  }

  PluginState state;
  PluginState reference;  // a channel that never named a picture
  TestFrame picture{GetParam(), kWidth, kHeight};
  testing::PictureFolder folder;
  ChannelId lastId = 100;
};

TEST_P(HostilePicture, CutShortOrEmptyFilesFallBackToTheRectangle) {
  const std::string bmp = testing::EncodeBmp(testing::PatternPicture(40, 30, 1), 24);
  const std::string png = testing::EncodePng(testing::PatternPicture(40, 30, 2), true);
  ExpectRectangleFallback(folder.Write("half.bmp", bmp.substr(0, bmp.size() / 2)), "half a bitmap");
  ExpectRectangleFallback(folder.Write("header.bmp", bmp.substr(0, 54)), "bitmap header only");
  ExpectRectangleFallback(folder.Write("half.png", png.substr(0, png.size() / 2)), "half a PNG");
  ExpectRectangleFallback(folder.Write("empty.bmp", ""), "zero-size file");
  ExpectRectangleFallback(folder.Write("empty.gif", ""), "zero-size GIF");
  ExpectRectangleFallback(folder.PathOf("missing.bmp"), "no such file");
}

TEST_P(HostilePicture, EnormousClaimedSizesFallBackToTheRectangle) {
  ExpectRectangleFallback(folder.Write("wide.bmp", BitmapClaiming(16384, 16384)),
                          "bitmap claiming 16384 x 16384");
  ExpectRectangleFallback(folder.Write("huge.bmp", BitmapClaiming(100000, -100000)),
                          "bitmap claiming 100000 x 100000, top-down");
  ExpectRectangleFallback(folder.Write("neg.bmp", BitmapClaiming(INT32_MIN, INT32_MIN)),
                          "bitmap claiming INT32_MIN sides");
  ExpectRectangleFallback(folder.Write("huge.png", PngClaiming(0x7FFFFFFF, 0x7FFFFFFF)),
                          "PNG claiming 2^31-1 sides");
  ExpectRectangleFallback(folder.Write("big.png", PngClaiming(16384, 16384)),
                          "PNG claiming 16384 x 16384");
  ExpectRectangleFallback(folder.Write("huge.gif", GifClaimingEverything()),
                          "GIF claiming 65535 x 65535");
}

// After the refusals a good picture still loads, and a refused one after a
// good one leaves nothing of it behind.
TEST_P(HostilePicture, GoodAndBadPicturesAlternate) {
  testing::Picture logo(20, 12);
  for (testing::Rgba& p : logo.pixels) p = {0, 128, 255, 255};  // key colour throughout
  const std::string good = folder.Write("good.bmp", testing::EncodeBmp(logo, 24));
  state.ChannelList.push_back(state.DefaultSettings);
  state.ChannelList.back().Id = 7;
  state.ChannelList.back().MaskFileName = good;
  Send(state, 7);
  EXPECT_EQ(state.Mask.MaskLoaded, 1);
  ExpectRectangleFallback(folder.Write("bad.bmp", BitmapClaiming(16384, 16384)), "after a good one");
  Send(state, 7);
  EXPECT_EQ(state.Mask.MaskLoaded, 1);
  EXPECT_EQ(state.CurrentRecord()->MaskFileName, good);
}

INSTANTIATE_TEST_SUITE_P(Formats, HostilePicture,
                         ::testing::Values(FrameFormat::Yuy2, FrameFormat::Bgr24),
                         [](const auto& info) {
                           return std::string(info.param == FrameFormat::Yuy2 ? "Yuy2" : "Bgr24");
                         });

}  // namespace
}  // namespace kestrimo
