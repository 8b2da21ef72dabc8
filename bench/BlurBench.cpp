// Gaussian blur of a whole area: scalar line steps, their SSE2 twins and,
// where the processor has it, the AVX2 twins. Then the column pass alone:
// the column step on blocks of columns against the line step run down each
// column.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/BlurFilter.h"
#include "imaging/CpuFeatures.h"
#include "imaging/Kernels.h"
#include "base/AlignedMemory.h"
#include "base/CapacityRule.h"

namespace kestrimo {
namespace {

void BlurArea(benchmark::State& state, std::int32_t width, std::int32_t height, float blurWidth,
              KernelChoice choice) {
  SetKernelChoice(choice);
  std::vector<std::uint32_t> pixels(std::size_t(width) * height);
  std::uint32_t seed = 12345;
  for (auto& p : pixels) p = seed = seed * 1664525u + 1013904223u;
  BlurFilter filter;
  const ImageView image{pixels.data(), Size{width, height}, Rect{0, 0, width, height}};
  for (auto _ : state) {
    filter.ApplyBlur(image, true, blurWidth, blurWidth);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * width * height);
  SetKernelChoice(KernelChoice::Best);
}

// The column pass alone, for one kernel table: the column step on blocks of
// columns, or (`perLine`) the line step run down each column in turn.
void ColumnPass(benchmark::State& state, std::int32_t width, std::int32_t height, float blurWidth,
                const BlurKernels* table, bool perLine) {
  std::vector<std::uint32_t> pixels(std::size_t(width) * height);
  std::uint32_t seed = 777;
  for (auto& p : pixels) p = seed = seed * 1664525u + 1013904223u;
  BlurEntry* kernel = nullptr;
  BlurEntry* line = nullptr;
  std::int32_t kernelCapacity = 0, lineCapacity = 0, radius = 0;
  float cached = 0.0f;
  GrowArray(kernel, kernelCapacity, BlurFilter::kKernelCapacity, 0, 0);
  GrowArray(line, lineCapacity, BlurFilter::kInitialLineCapacity, 0, 0);
  if (kernel == nullptr || line == nullptr) {
    state.SkipWithError("out of memory");
  } else {
    BlurFilter::BuildKernel(kernel, kernelCapacity, cached, radius, blurWidth);
    for (auto _ : state) {
      if (perLine) {
        for (std::int32_t x = 0; x < width; ++x)
          table->blurLine(pixels.data() + x, width, height, kernel, radius, line);
      } else {
        table->blurColumns(pixels.data(), width, width, height, kernel, radius, line,
                           lineCapacity);
      }
      benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * width * height);
  }
  FreeAligned(kernel);
  FreeAligned(line);
}

void RegisterColumnPasses(const std::string& name, std::int32_t width, std::int32_t height,
                          float blurWidth, bool perLine) {
  benchmark::RegisterBenchmark((name + "/scalar").c_str(), ColumnPass, width, height, blurWidth,
                               &ScalarKernels().blur, perLine);
  if (CpuHasSse2())
    benchmark::RegisterBenchmark((name + "/sse2").c_str(), ColumnPass, width, height, blurWidth,
                                 &Sse2Kernels().blur, perLine);
  if (CpuHasAvx2())
    benchmark::RegisterBenchmark((name + "/avx2").c_str(), ColumnPass, width, height, blurWidth,
                                 &Avx2Kernels().blur, perLine);
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
      const std::string size = std::to_string(area.width) + "x" + std::to_string(area.height);
      const std::string w = "/w" + std::to_string(blurWidth) + "/";
      RegisterColumnPasses("BlurColumns" + w + size, area.width, area.height, float(blurWidth),
                           false);
      RegisterColumnPasses("BlurColumnsPerLine" + w + size, area.width, area.height,
                           float(blurWidth), true);
    }
  return true;
}();

}  // namespace
}  // namespace kestrimo
