// Frame conversion, scalar against SSE2 (and AVX2 where the processor has
// it): every (FrameMode, layout) pair the
// processing chain and the preview use, on areas inside a 720 x 576 frame.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "imaging/CpuFeatures.h"
#include "imaging/FrameConversion.h"
#include "base/AlignedMemory.h"

namespace kestrimo {
namespace {

constexpr std::int32_t kFrameWidth = 720;
constexpr std::int32_t kFrameHeight = 576;

struct Pair {
  const char* name;
  std::int32_t mode;
  std::int32_t layout;
  bool writeBack;
};

constexpr Pair kPairs[] = {
    {"ExtractArea/yuy2_to_11", kFrameModeYuy2, kLayoutYuv, false},
    {"ExtractArea/bgr_to_3", kFrameModeBgr, kLayoutBgrLuma, false},
    {"WriteBackArea/9_over_yuy2", kFrameModeYuy2, kLayoutYuvAlpha, true},
    {"WriteBackArea/4_over_yuy2", kFrameModeYuy2, kLayoutBgrAlpha, true},
    {"WriteBackArea/4_over_bgr", kFrameModeBgr, kLayoutBgrAlpha, true},
};

struct Area {
  std::int32_t width, height;
};
constexpr Area kAreas[] = {{100, 70}, {400, 200}};

// Deterministic varied bytes; alphas spread over the whole range.
void Fill(std::vector<std::uint8_t>& bytes, std::uint32_t seed) {
  for (std::uint8_t& b : bytes) {
    seed = seed * 1664525u + 1013904223u;
    b = static_cast<std::uint8_t>(seed >> 24);
  }
}

void Run(benchmark::State& state, Pair pair, Area area, KernelChoice choice) {
  FrameGeometry geometry;
  geometry.SetFrameFormat(kFrameWidth, kFrameHeight, pair.mode);
  const int bytesPerPixel = pair.mode == kFrameModeBgr ? 3 : 2;
  std::vector<std::uint8_t> frame(static_cast<std::size_t>(bytesPerPixel) * kFrameWidth *
                                  kFrameHeight);
  Fill(frame, 1);
  // The work buffer as the chain sizes it: 25 % slack, 16-byte aligned.
  const Size alloc{area.width * 5 / 4, area.height * 5 / 4};
  const std::size_t workBytes = 4 * static_cast<std::size_t>(alloc.width) * alloc.height;
  auto* work = static_cast<std::uint32_t*>(AllocateAligned(workBytes));
  if (work == nullptr) {
    state.SkipWithError("out of memory");
    return;
  }
  std::vector<std::uint8_t> init(workBytes);
  Fill(init, 2);
  std::copy(init.begin(), init.end(), reinterpret_cast<std::uint8_t*>(work));

  const ImageView view{work, alloc, Rect{0, 0, area.width, area.height}};
  const Point position{161, 97};  // an odd column: both row ends are single pixels
  SetKernelChoice(choice);
  for (auto _ : state) {
    if (pair.writeBack)
      WriteBackArea(frame.data(), geometry, position, view, pair.layout, 80);
    else
      ExtractArea(frame.data(), geometry, position, view, pair.layout);
    benchmark::ClobberMemory();
  }
  SetKernelChoice(KernelChoice::Best);
  state.SetItemsProcessed(state.iterations() * area.width * area.height);
  FreeAligned(work);
}

const bool registered = [] {
  for (const Pair& pair : kPairs)
    for (const Area& area : kAreas) {
      const std::string prefix = std::string(pair.name) + "/" + std::to_string(area.width) +
                                 "x" + std::to_string(area.height);
      benchmark::RegisterBenchmark((prefix + "/scalar").c_str(), Run, pair, area,
                                   KernelChoice::ScalarOnly);
      benchmark::RegisterBenchmark((prefix + "/sse2").c_str(), Run, pair, area,
                                   KernelChoice::Sse2Only);
      if (CpuHasAvx2())
        benchmark::RegisterBenchmark((prefix + "/avx2").c_str(), Run, pair, area,
                                     KernelChoice::Best);
    }
  return true;
}();

}  // namespace
}  // namespace kestrimo
