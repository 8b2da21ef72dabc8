#include "imaging/Kernels.h"

#include "imaging/CpuFeatures.h"

namespace kestrimo {
namespace {

// Runs `step` on each family of a set.
template <typename Step>
void ForEachFamily(Kernels& k, Step step) {
  step(k.alpha);
  step(k.blur);
  step(k.conversion);
  step(k.gradient);
  step(k.logoFill);
  step(k.scaling);

  // Taking a blended logo out of frame samples.
  step(k.logoSubtract);
  // Telling whether a frame shows a known logo.
  step(k.logoPresence);
  // Following the camera from one frame to the next.
  step(k.motion);
  // Rebuilding a logo's pixels from earlier frames.
  step(k.history);
}

Kernels ScalarSet() {
  Kernels k{};
  ForEachFamily(k, [](auto& family) { FillScalar(family); });
  return k;
}

Kernels Sse2Set() {
  Kernels k = ScalarKernels();
  ForEachFamily(k, [](auto& family) { UpgradeToSse2(family); });
  return k;
}

Kernels Avx2Set() {
  Kernels k = Sse2Kernels();
  ForEachFamily(k, [](auto& family) { UpgradeToAvx2(family); });
  return k;
}

}  // namespace

const Kernels& ScalarKernels() {
  static const Kernels set = ScalarSet();
  return set;
}

const Kernels& Sse2Kernels() {
  if (!CpuHasSse2()) return ScalarKernels();
  static const Kernels set = Sse2Set();
  return set;
}

const Kernels& Avx2Kernels() {
  if (!CpuHasAvx2()) return Sse2Kernels();
  static const Kernels set = Avx2Set();
  return set;
}

const Kernels& KernelsInUse() {
  switch (CurrentKernelChoice()) {
    case KernelChoice::ScalarOnly: return ScalarKernels();
    case KernelChoice::Sse2Only: return Sse2Kernels();
    case KernelChoice::Best: break;
  }
  return Avx2Kernels();
}

}  // namespace kestrimo
