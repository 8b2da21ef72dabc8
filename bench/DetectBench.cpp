// The logo finder's costs: one sampled frame added to the statistics (the
// work per frame while collecting), and the decision over 50 samples.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "base/FrameGeometry.h"
#include "detect/LogoFinder.h"
#include "detect/LogoStatistics.h"
#include "engine/FrameDriver.h"
#include "engine/PluginState.h"
#include "plugin/EntryPoints.h"

namespace kestrimo {
namespace {

std::vector<std::uint8_t> NoiseFrame(std::int32_t width, std::int32_t height, unsigned seed) {
  std::vector<std::uint8_t> frame(2 * static_cast<std::size_t>(width) * height);
  std::mt19937 random(seed);
  for (std::uint8_t& byte : frame) byte = static_cast<std::uint8_t>(random());
  return frame;
}

void BM_DetectAddFrame(benchmark::State& state) {
  const auto width = static_cast<std::int32_t>(state.range(0));
  const auto height = static_cast<std::int32_t>(state.range(1));
  LogoStatistics statistics;
  statistics.Start(width, height, kFrameModeYuy2);
  const std::vector<std::uint8_t> frame = NoiseFrame(width, height, 1);
  for (auto _ : state) {
    if (statistics.Samples() == LogoStatistics::kMaxSamples) statistics.Start(width, height, kFrameModeYuy2);
    statistics.AddFrame(frame.data(), 2 * width);
    benchmark::ClobberMemory();
  }
  state.counters["frames/s"] = benchmark::Counter(static_cast<double>(state.iterations()),
                                                  benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DetectAddFrame)->Args({720, 576})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

void BM_DetectDecide(benchmark::State& state) {
  const auto width = static_cast<std::int32_t>(state.range(0));
  const auto height = static_cast<std::int32_t>(state.range(1));
  LogoStatistics statistics;
  statistics.Start(width, height, kFrameModeYuy2);
  for (unsigned t = 0; t < 50; ++t) statistics.AddFrame(NoiseFrame(width, height, t).data(), 2 * width);
  for (auto _ : state) benchmark::DoNotOptimize(LogoFinder().Find(statistics));
}
BENCHMARK(BM_DetectDecide)->Args({720, 576})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

// A frame through the frame driver with the logo search collecting (arg 2:
// 1) or not (0), removal off: the difference is what collecting costs a
// frame.
void BM_FrameWhileSearching(benchmark::State& state) {
  const auto width = static_cast<std::int32_t>(state.range(0));
  const auto height = static_cast<std::int32_t>(state.range(1));
  const bool searching = state.range(2) != 0;
  PluginState plugin;
  SettingsLocation location;
  location.folder = "/nonexistent/";
  location.moduleName = "KRD_Kestrimo";
  plugin.Profile.SetLocation(location);
  ChannelSettings record = TableDefaults();
  record.Id = 1;
  plugin.ChannelList = {record};
  VideoFormat video{width, height, 0, kFrameModeYuy2, 3};
  PluginSetFormat(plugin, &video);
  std::vector<std::uint8_t> pixels = NoiseFrame(width, height, 3);
  ChannelInfo channel{};
  channel.id = 1;
  FrameInfo frame{};
  frame.pixels = pixels.data();
  frame.channel = &channel;
  ProcessFrame(plugin, &frame);
  if (searching) plugin.Finding.Start(plugin);
  for (auto _ : state) {
    if (searching && plugin.Finding.Poll().phase != LogoFinding::Phase::Collecting) {
      state.PauseTiming();
      plugin.Finding.Start(plugin);
      state.ResumeTiming();
    }
    ProcessFrame(plugin, &frame);
  }
  plugin.Finding.Stop();
}
BENCHMARK(BM_FrameWhileSearching)
    ->Args({1920, 1080, 0})->Args({1920, 1080, 1})->Args({720, 576, 0})->Args({720, 576, 1})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace kestrimo
