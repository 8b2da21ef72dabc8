// The real library, loaded by path and driven through its two exports in the
// host's calling order.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "tests/integration/PluginLibrary.h"

namespace kestrimo::testing {
namespace {

std::int32_t KESTRIMO_CDECL AnswerYes(ChannelId) { return 1; }

class Exports : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(DescriptorExport(), nullptr) << LoadError();
    plugin = DescriptorExport()();
    ASSERT_NE(plugin, nullptr);
  }
  std::vector<std::uint8_t> Frame(std::int32_t width, std::int32_t height, int bytesPerPixel) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * bytesPerPixel);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = static_cast<std::uint8_t>(i * 31 + 7);
    return pixels;
  }
  std::int32_t Send(std::vector<std::uint8_t>& pixels, ChannelId id) {
    channel.id = id;
    std::strcpy(channel.name, "\xD2\xE5\xF1\xF2");  // "Тест"
    FrameInfo frame{};
    frame.pixels = pixels.empty() ? nullptr : pixels.data();
    frame.channel = &channel;
    return plugin->processFrame(&frame);
  }
  PluginDescriptor* plugin = nullptr;
  ChannelInfo channel{};
};

TEST_F(Exports, VersionAndDescriptor) {
  ASSERT_NE(VersionExport(), nullptr);
  EXPECT_EQ(VersionExport()(), 3);
  EXPECT_EQ(plugin->name, plugin->secondName) << "both names are one pointer";
  EXPECT_EQ(std::string(plugin->name),
            "\xD3\xE4\xE0\xEB\xE5\xED\xE8\xE5 \xEB\xEE\xE3\xEE\xF2\xE8\xEF\xEE\xE2");
  EXPECT_EQ(DescriptorExport()(), plugin) << "one static descriptor";
  for (const void* entry : {reinterpret_cast<const void*>(plugin->init),
                            reinterpret_cast<const void*>(plugin->setFormat),
                            reinterpret_cast<const void*>(plugin->processFrame),
                            reinterpret_cast<const void*>(plugin->reserved),
                            reinterpret_cast<const void*>(plugin->showSettings),
                            reinterpret_cast<const void*>(plugin->done)})
    EXPECT_NE(entry, nullptr);
}

// One life of the library in the host's order; frames come back unchanged.
TEST_F(Exports, HostCallingOrderPassesFramesThrough) {
  PluginHostInfo host{0x12345678u, &AnswerYes};
  plugin->init(&host);
  plugin->reserved();

  VideoFormat yuy2{720, 576, 0, 0, 3};
  EXPECT_EQ(plugin->setFormat(&yuy2), 1);
  std::vector<std::uint8_t> pixels = Frame(720, 576, 2);
  const std::vector<std::uint8_t> original = pixels;
  EXPECT_EQ(Send(pixels, 101), 1);
  EXPECT_EQ(Send(pixels, 101), 1);
  EXPECT_EQ(Send(pixels, -5), 1);
  EXPECT_EQ(pixels, original);

  VideoFormat bgr{352, 288, 0, 1, 3};
  EXPECT_EQ(plugin->setFormat(&bgr), 1);
  std::vector<std::uint8_t> bgrPixels = Frame(352, 288, 3);
  const std::vector<std::uint8_t> bgrOriginal = bgrPixels;
  EXPECT_EQ(Send(bgrPixels, 101), 1);
  EXPECT_EQ(bgrPixels, bgrOriginal);

  SettingsRequest request{nullptr};
  plugin->showSettings(&request);
  plugin->reserved();
  plugin->done();
}

TEST_F(Exports, NoSseRefusesFramesUntouched) {
  VideoFormat noSse{720, 576, 0, 0, 2};
  EXPECT_EQ(plugin->setFormat(&noSse), 1);
  std::vector<std::uint8_t> pixels = Frame(720, 576, 2);
  const std::vector<std::uint8_t> original = pixels;
  EXPECT_EQ(Send(pixels, 7), 0);
  EXPECT_EQ(pixels, original);
  VideoFormat sse{720, 576, 0, 0, 3};
  plugin->setFormat(&sse);
}

TEST_F(Exports, MissingFrameReturnsZero) {
  VideoFormat format{720, 576, 0, 0, 3};
  plugin->setFormat(&format);
  std::vector<std::uint8_t> none;
  EXPECT_EQ(Send(none, 55), 0);
  EXPECT_EQ(plugin->processFrame(nullptr), 0);
}

}  // namespace
}  // namespace kestrimo::testing
