// Following the camera around a logo's area of 260 x 110 pixels with a ring
// of 32, in YUY2 frames of 1920 x 1080 with a textured picture:
//   RingMotion/predicted/...  a steady pan (3 pixels right, 1 down a frame):
//                             every frame found about the last motion but
//                             one in 24, where the pan jumps back
//   RingMotion/wide/...       the pan turning 40 pixels a frame (+20, -20):
//                             every frame needs the wide search
// at each kernel level; times per frame, the whole Track.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "base/FrameGeometry.h"
#include "imaging/CpuFeatures.h"
#include "mask/RingMotion.h"

namespace kestrimo {
namespace {

constexpr std::int32_t kWidth = 1920, kHeight = 1080, kRing = 32;
constexpr Rect kArea{1560, 60, 1820, 170};

// A picture of blurred noise over a gradient, larger than the frame, and
// frames cut from it at an offset.
struct Scene {
  static constexpr std::int32_t kSide = 2200;
  std::vector<std::uint8_t> picture;
  Scene() : picture(static_cast<std::size_t>(kSide) * kSide) {
    std::uint32_t seed = 7;
    std::vector<std::uint8_t> noise(picture.size());
    for (std::uint8_t& n : noise) n = static_cast<std::uint8_t>((seed = seed * 1664525u + 1013904223u) >> 24);
    for (std::int32_t y = 1; y + 1 < kSide; ++y)
      for (std::int32_t x = 1; x + 1 < kSide; ++x) {
        std::int32_t sum = 0;
        for (std::int32_t j = -1; j <= 1; ++j)
          for (std::int32_t i = -1; i <= 1; ++i) sum += noise[static_cast<std::size_t>(y + j) * kSide + x + i];
        picture[static_cast<std::size_t>(y) * kSide + x] =
            static_cast<std::uint8_t>(sum / 18 + 40 + (x + y) * 60 / (2 * kSide));
      }
  }
  std::vector<std::uint8_t> Frame(std::int32_t ox, std::int32_t oy) const {
    std::vector<std::uint8_t> frame(static_cast<std::size_t>(kWidth) * kHeight * 2, 128);
    for (std::int32_t y = 0; y < kHeight; ++y)
      for (std::int32_t x = 0; x < kWidth; ++x)
        frame[(static_cast<std::size_t>(y) * kWidth + x) * 2] =
            picture[static_cast<std::size_t>(y + oy) * kSide + x + ox];
    return frame;
  }
};

void Track(benchmark::State& bench, bool wide, KernelChoice level) {
  static const Scene scene;
  FrameGeometry geometry;
  geometry.SetFrameFormat(kWidth, kHeight, kFrameModeYuy2);
  const Rect window{kArea.left - kRing, kArea.top - kRing, kArea.right + kRing, kArea.bottom + kRing};
  std::vector<std::uint8_t> usable(static_cast<std::size_t>(window.Width()) * window.Height());
  for (std::int32_t y = 0; y < window.Height(); ++y)
    for (std::int32_t x = 0; x < window.Width(); ++x)
      usable[static_cast<std::size_t>(y) * window.Width() + x] =
          x < kRing - 4 || x >= window.Width() - kRing + 4 || y < kRing - 4 || y >= window.Height() - kRing + 4;
  // A cycle of frames: a steady pan, or one that turns every frame.
  std::vector<std::vector<std::uint8_t>> frames;
  // The steady pan jumps back to its start once in 24 frames.
  for (std::int32_t k = 0; k < 24; ++k)
    frames.push_back(wide ? scene.Frame(100 + 20 * (k % 2), 100) : scene.Frame(100 + 3 * k, 100 + k));
  RingMotion ring;
  if (!ring.Rebuild(kArea, window, usable.data(), geometry)) bench.SkipWithError("no blocks");
  SetKernelChoice(level);
  std::size_t k = 0;
  std::int64_t tracked = 0, searched = 0;
  for (auto _ : bench) {
    const SceneMotion motion = ring.Track(frames[k].data(), geometry);
    tracked += motion.kind == SceneMotion::Kind::Tracked;
    searched += ring.LastCounts().wide;
    k = (k + 1) % frames.size();
  }
  SetKernelChoice(KernelChoice::Best);
  bench.counters["tracked"] = benchmark::Counter(static_cast<double>(tracked), benchmark::Counter::kAvgIterations);
  bench.counters["wide"] = benchmark::Counter(static_cast<double>(searched), benchmark::Counter::kAvgIterations);
}

const bool registered = [] {
  for (const bool wide : {false, true}) {
    const std::string path = wide ? "RingMotion/wide/1920x1080" : "RingMotion/predicted/1920x1080";
    const auto add = [&](const char* level, KernelChoice choice) {
      benchmark::RegisterBenchmark((path + level).c_str(), Track, wide, choice)
          ->Unit(benchmark::kMicrosecond);
    };
    add("/scalar", KernelChoice::ScalarOnly);
    add("/sse2", KernelChoice::Sse2Only);
    if (CpuHasAvx2()) add("/avx2", KernelChoice::Best);
  }
  return true;
}();

}  // namespace
}  // namespace kestrimo
