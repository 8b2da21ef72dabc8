// The logo finder's costs: one sampled frame added to the statistics (the
// work per frame while collecting), and the decision over 50 samples.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "base/FrameGeometry.h"
#include "detect/LogoFinder.h"
#include "detect/LogoStatistics.h"

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

}  // namespace
}  // namespace kestrimo
