#include "tests/reliability/StressFixtures.h"

#include "plugin/EntryPoints.h"
#include "engine/FrameDriver.h"
#include "engine/PluginState.h"

namespace kestrimo::testing {
namespace {
int windowToken = 0;  // stands for an open window's handle
}  // namespace

std::vector<std::uint8_t> InputFrame(FrameFormat format, std::int32_t width, std::int32_t height) {
  TestFrame frame(format, width, height);
  frame.Paint({Rect{width * 2 / 5, height * 2 / 5, width * 3 / 5, height * 3 / 5}});
  return frame.Bytes();
}

std::string WriteMaskPicture(const PictureFolder& folder, std::uint32_t key) {
  Picture picture = PatternPicture(40, 30, 7, 64);
  const Rgba keyPixel{static_cast<std::uint8_t>(key), static_cast<std::uint8_t>(key >> 8),
                      static_cast<std::uint8_t>(key >> 16), 255};
  for (int y = 8; y < 22; ++y)
    for (int x = 10; x < 30; ++x) picture.At(x, y) = keyPixel;
  return folder.Write("mask.bmp", EncodeBmp(picture, 24));
}

std::uint64_t FreshOutputHash(const ChannelSettings& settings, bool windowOpen,
                              const std::vector<std::uint8_t>& input, std::int32_t width,
                              std::int32_t height, std::int32_t frameMode) {
  PluginState state;
  VideoFormat format{width, height, 0, frameMode, 3};
  PluginSetFormat(state, &format);
  state.DefaultSettings = settings;
  if (windowOpen) state.SettingsWindow.Attach(&windowToken);
  std::vector<std::uint8_t> pixels = input;
  ChannelInfo channel{};
  channel.id = 1;
  FrameInfo frame{};
  frame.pixels = pixels.data();
  frame.channel = &channel;
  ProcessFrame(state, &frame);
  return Fnv1a64(pixels);
}

}  // namespace kestrimo::testing
