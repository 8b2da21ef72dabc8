#include "imaging/CpuFeatures.h"

#include <atomic>

namespace kestrimo {
namespace {

std::atomic<KernelChoice> choice{KernelChoice::Best};

}  // namespace

bool CpuHasSse2() {
  static const bool hasSse2 = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("sse2") != 0;
  }();
  return hasSse2;
}

// libgcc reports AVX2 only when the operating system also saves the YMM
// state (OSXSAVE set, XCR0 bits 1 and 2 read through XGETBV), so this one
// question covers the processor and the system.
bool CpuHasAvx2() {
  static const bool hasAvx2 = CpuHasSse2() && [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return hasAvx2;
}

void SetKernelChoice(KernelChoice newChoice) {
  choice.store(newChoice, std::memory_order_relaxed);
}

KernelChoice CurrentKernelChoice() { return choice.load(std::memory_order_relaxed); }

}  // namespace kestrimo
