// Gaussian blur of a whole area: scalar line steps, their SSE2 twins and,
// where the processor has it, the AVX2 twins.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/BlurFilter.h"
#include "imaging/CpuFeatures.h"

namespace kestrimo {
namespace {

void BlurArea(benchmark::State& state, std::int32_t width, std::int32_t height, float blurWidth,
              KernelChoice choice) {
  SetKernelChoice(choice);
  std::vector<std::uint32_t> pixels(std::size_t(width) * height);
  std::uint32_t seed = 12345;
  for (auto& p : pixels) p = seed = seed * 1664525u + 1013904223u;
  BlurFilter filter;
  const Rect rect{0, 0, width, height};
  for (auto _ : state) {
    filter.ApplyBlur(pixels.data(), Size{width, height}, rect, true, blurWidth, blurWidth);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * width * height);
  SetKernelChoice(KernelChoice::Best);
}

const bool registered = [] {
  struct Area {
    std::int32_t width, height;
  };
  for (Area area : {Area{100, 70}, Area{400, 200}})
    for (int blurWidth : {1, 5, 10}) {
      const std::string prefix = "Blur/w" + std::to_string(blurWidth) + "/" +
                                 std::to_string(area.width) + "x" + std::to_string(area.height);
      benchmark::RegisterBenchmark((prefix + "/scalar").c_str(), BlurArea, area.width,
                                   area.height, float(blurWidth), KernelChoice::ScalarOnly);
      benchmark::RegisterBenchmark((prefix + "/sse2").c_str(), BlurArea, area.width, area.height,
                                   float(blurWidth), KernelChoice::Sse2Only);
      if (CpuHasAvx2())
        benchmark::RegisterBenchmark((prefix + "/avx2").c_str(), BlurArea, area.width,
                                     area.height, float(blurWidth), KernelChoice::Best);
    }
  return true;
}();

}  // namespace
}  // namespace kestrimo
