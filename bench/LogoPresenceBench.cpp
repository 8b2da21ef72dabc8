// What the presence check adds to a frame, against the removal it guards:
// a channel whose model is a 206 x 42 raster-pixel translucent mark (text
// at 55 % with an 80 % bar), its rectangle just around it, in YUY2 frames
// of 720x576 and 1920x1080 with a textured picture.
//   LogoPresence/removal/...   a whole frame through the driver, no check
//   LogoPresence/absent/...    the same with the check, on frames without
//                              the logo (kept, subtracted, filled, weighed,
//                              put back): the cost where it leaves frames be
//   LogoPresence/weigh/...     the weighing alone, at each kernel level
// Times per frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench/TempFile.h"
#include "detect/MaskBitmap.h"
#include "engine/FrameDriver.h"
#include "engine/PluginState.h"
#include "imaging/CpuFeatures.h"
#include "plugin/EntryPoints.h"

namespace kestrimo {
namespace {

constexpr std::int32_t kModelWidth = 206, kModelHeight = 42;

LogoModelPicture BenchModel() {
  LogoModelPicture model;
  model.width = kModelWidth;
  model.height = kModelHeight;
  for (std::int32_t y = 0; y < kModelHeight; ++y) {
    for (std::int32_t x = 0; x < kModelWidth; ++x) {
      const bool letter = (x / 6) % 3 != 2 && y >= 6 && y < 30 && ((x + y) / 5) % 2 == 0;
      const bool bar = y >= 34 && y < 38 && x >= 4 && x < kModelWidth - 4;
      const std::uint32_t alpha = bar ? 204 : letter ? 140 : 0;
      model.pixels.push_back(alpha << 24 | 0x00F0F0F0u);
    }
  }
  return model;
}

// The model, written once for the whole run and removed at exit.
const TempFile& Model() {
  static const TempFile file("kestrimo-presence-bench", EncodeModelBitmap(BenchModel()));
  return file;
}

// A frame of smooth gradients and fine texture, YUY2.
std::vector<std::uint8_t> TexturedFrame(std::int32_t width, std::int32_t height) {
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(width) * height * 2);
  std::uint32_t seed = 2024;
  for (std::int32_t y = 0; y < height; ++y) {
    for (std::int32_t x = 0; x < 2 * width; ++x) {
      seed = seed * 1664525u + 1013904223u;
      const std::int32_t base = x % 2 == 0 ? 40 + (x / 2 + y) * 150 / (width + height) : 128;
      frame[static_cast<std::size_t>(y) * 2 * width + x] =
          static_cast<std::uint8_t>(base + (seed >> 28));
    }
  }
  return frame;
}

struct Case {
  std::int32_t width, height;
  bool check;
};

void Prepare(PluginState& state, const Case& c) {
  PluginInit(state, nullptr);
  VideoFormat format{c.width, c.height, 0, kFrameModeYuy2, 3};
  PluginSetFormat(state, &format);
  ChannelSettings s = TableDefaults();
  s.Id = 1;
  s.ProcEnable = 1;
  s.ShowMask = 0;
  s.MaskPosX = 600;
  s.MaskPosY = 60;
  s.RectMaskSizeX = kModelWidth;
  s.RectMaskSizeY = kModelHeight;
  s.LogoModelFile = Model().Name();
  s.LogoPresenceCheck = c.check ? 1 : 0;
  state.ChannelList = {s};
}

std::int32_t Process(PluginState& state, std::vector<std::uint8_t>& frame) {
  ChannelInfo channel{};
  channel.id = 1;
  FrameInfo info{};
  info.pixels = frame.data();
  info.channel = &channel;
  return ProcessFrame(state, &info);
}

void WholeFrame(benchmark::State& bench, Case c) {
  PluginState state;
  Prepare(state, c);
  std::vector<std::uint8_t> frame = TexturedFrame(c.width, c.height);
  Process(state, frame);
  if (!state.Mask.Removal.Active()) bench.SkipWithError("model not loaded");
  for (auto _ : bench) {
    Process(state, frame);
    benchmark::ClobberMemory();
  }
  if (c.check && state.Mask.Presence.Shown()) bench.SkipWithError("a frame without the logo shown");
}

void Weigh(benchmark::State& bench, Case c, KernelChoice level) {
  PluginState state;
  Prepare(state, c);
  std::vector<std::uint8_t> frame = TexturedFrame(c.width, c.height);
  Process(state, frame);
  const MaskRebuild& mask = state.Mask;
  SetKernelChoice(level);
  for (auto _ : bench) {
    benchmark::DoNotOptimize(
        state.Mask.Presence.Look(mask.Removal, frame.data(), state.Geometry,
                                 mask.WorkBuffer.View(), false));
  }
  SetKernelChoice(KernelChoice::Best);
}

const bool registered = [] {
  for (const auto& [name, width, height] :
       {std::tuple{"/720x576", 720, 576}, std::tuple{"/1920x1080", 1920, 1080}}) {
    const std::string size = name;
    benchmark::RegisterBenchmark(("LogoPresence/removal" + size).c_str(), WholeFrame,
                                 Case{width, height, false})->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("LogoPresence/absent" + size).c_str(), WholeFrame,
                                 Case{width, height, true})->Unit(benchmark::kMicrosecond);
    const auto weigh = [&](const char* level, KernelChoice choice) {
      benchmark::RegisterBenchmark(("LogoPresence/weigh" + size + level).c_str(), Weigh,
                                   Case{width, height, true}, choice)
          ->Unit(benchmark::kMicrosecond);
    };
    weigh("/scalar", KernelChoice::ScalarOnly);
    weigh("/sse2", KernelChoice::Sse2Only);
    if (CpuHasAvx2()) weigh("/avx2", KernelChoice::Best);
  }
  return true;
}();

}  // namespace
}  // namespace kestrimo
