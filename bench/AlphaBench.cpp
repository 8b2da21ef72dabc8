// The per-frame alpha copies from the mask into the work buffer, scalar rows
// against their SSE2 and AVX2 twins.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "imaging/AlphaOps.h"
#include "imaging/CpuFeatures.h"
#include "base/ImageBuffer.h"

namespace kestrimo {
namespace {

enum class Target { Yuv, Bgr };

void CopyAlpha(benchmark::State& state, std::int32_t width, std::int32_t height, Target target,
               KernelChoice choice) {
  SetKernelChoice(choice);
  ImageBuffer mask, work;
  mask.Resize(width, height, 25, 25);
  work.Resize(width, height, 25, 25);
  std::uint32_t seed = 12345;
  for (ImageBuffer* image : {&mask, &work})
    for (std::int64_t i = 0; i < std::int64_t{image->allocWidth} * image->allocHeight; ++i)
      image->pixels[i] = seed = seed * 1664525u + 1013904223u;
  for (auto _ : state) {
    if (target == Target::Yuv)
      CopyMaskAlphaToYuv(mask.View(), work.View());
    else
      CopyMaskAlphaToBgr(mask.View(), work.View());
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
    for (Target target : {Target::Yuv, Target::Bgr}) {
      const std::string prefix = std::string("CopyMaskAlpha/") +
                                 (target == Target::Yuv ? "yuv/" : "bgr/") +
                                 std::to_string(area.width) + "x" + std::to_string(area.height);
      benchmark::RegisterBenchmark((prefix + "/scalar").c_str(), CopyAlpha, area.width,
                                   area.height, target, KernelChoice::ScalarOnly);
      benchmark::RegisterBenchmark((prefix + "/sse2").c_str(), CopyAlpha, area.width,
                                   area.height, target, KernelChoice::Sse2Only);
      if (CpuHasAvx2())
        benchmark::RegisterBenchmark((prefix + "/avx2").c_str(), CopyAlpha, area.width,
                                     area.height, target, KernelChoice::Best);
    }
  return true;
}();

}  // namespace
}  // namespace kestrimo
