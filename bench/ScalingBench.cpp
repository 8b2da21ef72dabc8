// Whole scaling calls, scalar row routines against their SSE2 twins, with key
// protection on as the mask rebuild uses it.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "imaging/CpuFeatures.h"
#include "imaging/ScaledBlend.h"

namespace kestrimo {
namespace {

void ScaleArea(benchmark::State& state, Size from, Size to, KernelChoice choice) {
  std::vector<std::uint32_t> source(static_cast<std::size_t>(from.width) * from.height);
  std::uint32_t seed = 12345;
  for (std::uint32_t& p : source) {
    seed = seed * 1664525u + 1013904223u;
    p = (seed >> 8) % 7 == 0 ? 0xFF0080FFu : seed;  // some key pixels among the rest
  }
  std::vector<std::uint32_t> destination(static_cast<std::size_t>(to.width) * to.height);
  ScaledBlend blend;
  SetKernelChoice(choice);
  for (auto _ : state) {
    blend.Scale(ConstImageView{source.data(), from, {0, 0, from.width, from.height}},
                kScaleFormatBgraBottomUp,
                ImageView{destination.data(), to, {0, 0, to.width, to.height}},
                kScaleFormatBgraBottomUp, kScaleOpacityCopy, 0x00FF8000, true);
    benchmark::DoNotOptimize(destination.data());
    benchmark::ClobberMemory();
  }
  SetKernelChoice(KernelChoice::Best);
  state.SetItemsProcessed(state.iterations() * to.width * to.height);
}

void Register(Size from, Size to) {
  const std::string prefix = "ScaledBlend/" + std::to_string(from.width) + "x" +
                             std::to_string(from.height) + "_to_" + std::to_string(to.width) +
                             "x" + std::to_string(to.height) + "/";
  benchmark::RegisterBenchmark((prefix + "scalar").c_str(), ScaleArea, from, to,
                               KernelChoice::ScalarOnly);
  benchmark::RegisterBenchmark((prefix + "sse2").c_str(), ScaleArea, from, to,
                               KernelChoice::Sse2Only);
}

const bool registered = [] {
  Register({100, 70}, {94, 70});
  Register({400, 200}, {375, 200});
  Register({94, 70}, {100, 80});  // an enlargement in both directions
  return true;
}();

}  // namespace
}  // namespace kestrimo
