// What seeing through the logo adds to a frame, against the fill alone: a
// channel with a rectangle of 206 x 42 raster pixels, in YUY2 frames of
// 720x576 and 1920x1080 cut from a textured picture under a steady pan (3
// pixels right and 1 down a frame, jumping back once in 24 frames, which
// the history takes for a cut).
//   SceneHistory/fill/...          a whole frame through the driver
//   SceneHistory/see-through/...   the same with the history, at each
//                                  kernel level
//   SceneHistory/see-through-faint/...  the picture at an eleventh of the
//                                  contrast (under a level a pixel): the
//                                  ring is measured twice every frame
// Times per frame.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "engine/FrameDriver.h"
#include "engine/PluginState.h"
#include "imaging/CpuFeatures.h"
#include "plugin/EntryPoints.h"

namespace kestrimo {
namespace {

constexpr std::int32_t kFrames = 24;

// Blurred noise over a gradient, wide enough for the pan; the noise's sum
// of nine divided by `divisor`.
struct Picture {
  std::int32_t width, height;
  std::vector<std::uint8_t> luma;
  Picture(std::int32_t w, std::int32_t h, std::int32_t divisor)
      : width(w), height(h), luma(std::size_t(w) * h) {
    std::uint32_t seed = 11;
    std::vector<std::uint8_t> noise(luma.size());
    for (std::uint8_t& n : noise) n = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    for (std::int32_t y = 1; y + 1 < h; ++y)
      for (std::int32_t x = 1; x + 1 < w; ++x) {
        std::int32_t sum = 0;
        for (std::int32_t j = -1; j <= 1; ++j)
          for (std::int32_t i = -1; i <= 1; ++i) sum += noise[std::size_t(y + j) * w + x + i];
        luma[std::size_t(y) * w + x] = static_cast<std::uint8_t>(sum / divisor + 40 + (x + y) * 60 / (w + h));
      }
  }
};

struct Case {
  std::int32_t width, height;
  bool seeThrough;
  KernelChoice level;
  std::int32_t divisor = 18;
};

void WholeFrame(benchmark::State& bench, Case c) {
  const Picture picture(c.width + 3 * kFrames + 2, c.height + kFrames + 2, c.divisor);
  std::vector<std::vector<std::uint8_t>> frames;
  for (std::int32_t k = 0; k < kFrames; ++k) {
    std::vector<std::uint8_t> frame(std::size_t(c.width) * c.height * 2, 128);
    for (std::int32_t y = 0; y < c.height; ++y)
      for (std::int32_t x = 0; x < c.width; ++x)
        frame[(std::size_t(y) * c.width + x) * 2] = picture.luma[std::size_t(y + k) * picture.width + x + 3 * k];
    frames.push_back(std::move(frame));
  }
  PluginState state;
  PluginInit(state, nullptr);
  VideoFormat format{c.width, c.height, 0, kFrameModeYuy2, 3};
  PluginSetFormat(state, &format);
  ChannelSettings s = TableDefaults();
  s.Id = 1;
  s.ProcEnable = 1;
  s.ShowMask = 0;
  s.MaskPosX = 600;
  s.MaskPosY = 60;
  s.RectMaskSizeX = 206;
  s.RectMaskSizeY = 42;
  s.LogoSeeThrough = c.seeThrough ? 1 : 0;
  state.ChannelList = {s};
  ChannelInfo channel{};
  channel.id = 1;
  FrameInfo info{};
  info.channel = &channel;
  SetKernelChoice(c.level);
  std::size_t k = 0;
  for (auto _ : bench) {
    // Frames are processed again in place: the logo's area is rebuilt from
    // its surroundings and the ring, which stay as they were.
    info.pixels = frames[k].data();
    k = (k + 1) % frames.size();
    ProcessFrame(state, &info);
    benchmark::ClobberMemory();
  }
  SetKernelChoice(KernelChoice::Best);
  if (c.seeThrough && !state.Mask.History.Ready(state.Geometry)) bench.SkipWithError("no history");
}

const bool registered = [] {
  for (const auto& [name, width, height] :
       {std::tuple{"/720x576", 720, 576}, std::tuple{"/1920x1080", 1920, 1080}}) {
    const std::string size = name;
    benchmark::RegisterBenchmark(("SceneHistory/fill" + size).c_str(), WholeFrame,
                                 Case{width, height, false, KernelChoice::Best})
        ->Unit(benchmark::kMicrosecond);
    const auto add = [&](const char* level, KernelChoice choice) {
      benchmark::RegisterBenchmark(("SceneHistory/see-through" + size + level).c_str(), WholeFrame,
                                   Case{width, height, true, choice})
          ->Unit(benchmark::kMicrosecond);
    };
    add("/scalar", KernelChoice::ScalarOnly);
    add("/sse2", KernelChoice::Sse2Only);
    if (CpuHasAvx2()) add("/avx2", KernelChoice::Best);
    benchmark::RegisterBenchmark(("SceneHistory/see-through-faint" + size + "/sse2").c_str(),
                                 WholeFrame, Case{width, height, true, KernelChoice::Sse2Only, 198})
        ->Unit(benchmark::kMicrosecond);
  }
  return true;
}();

}  // namespace
}  // namespace kestrimo
