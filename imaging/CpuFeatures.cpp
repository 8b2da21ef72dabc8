#include "imaging/CpuFeatures.h"

#include <atomic>

namespace kestrimo {
namespace {

std::atomic<bool> scalarOnly{false};

bool DetectSse2() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("sse2");
#else
  return false;
#endif
}

}  // namespace

bool CpuHasSse2() {
  static const bool hasSse2 = DetectSse2();
  return hasSse2;
}

void SetKernelChoice(KernelChoice choice) {
  scalarOnly.store(choice == KernelChoice::ScalarOnly, std::memory_order_relaxed);
}

KernelChoice CurrentKernelChoice() {
  return scalarOnly.load(std::memory_order_relaxed) ? KernelChoice::ScalarOnly
                                                    : KernelChoice::Best;
}

bool UseSse2Kernels() {
  return CpuHasSse2() && !scalarOnly.load(std::memory_order_relaxed);
}

}  // namespace kestrimo
