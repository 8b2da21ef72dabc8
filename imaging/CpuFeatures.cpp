#include "imaging/CpuFeatures.h"

#include <atomic>
#include <cstdint>

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace kestrimo {
namespace {

std::atomic<KernelChoice> choice{KernelChoice::Best};

bool DetectSse2() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_cpu_init();
  return __builtin_cpu_supports("sse2");
#else
  return false;
#endif
}

#if defined(__x86_64__) || defined(__i386__)
// XCR0 through XGETBV, written as its opcode so that no file needs -mxsave.
std::uint64_t ReadXcr0() {
  std::uint32_t low = 0, high = 0;
  __asm__ volatile(".byte 0x0f, 0x01, 0xd0" : "=a"(low), "=d"(high) : "c"(0));
  return (std::uint64_t{high} << 32) | low;
}
#endif

// The processor must report AVX2 (leaf 7) and AVX with OSXSAVE (leaf 1), and
// the operating system must save the XMM and YMM state (XCR0 bits 1 and 2).
bool DetectAvx2() {
#if defined(__x86_64__) || defined(__i386__)
  unsigned a = 0, b = 0, c = 0, d = 0;
  if (__get_cpuid_max(0, nullptr) < 7) return false;
  __cpuid(1, a, b, c, d);
  const bool osxsave = (c & (1u << 27)) != 0;
  const bool avx = (c & (1u << 28)) != 0;
  if (!osxsave || !avx) return false;
  if ((ReadXcr0() & 0x6) != 0x6) return false;
  __cpuid_count(7, 0, a, b, c, d);
  return (b & (1u << 5)) != 0;
#else
  return false;
#endif
}

}  // namespace

bool CpuHasSse2() {
  static const bool hasSse2 = DetectSse2();
  return hasSse2;
}

bool CpuHasAvx2() {
  static const bool hasAvx2 = CpuHasSse2() && DetectAvx2();
  return hasAvx2;
}

void SetKernelChoice(KernelChoice newChoice) {
  choice.store(newChoice, std::memory_order_relaxed);
}

KernelChoice CurrentKernelChoice() { return choice.load(std::memory_order_relaxed); }

bool UseSse2Kernels() {
  return CpuHasSse2() && CurrentKernelChoice() != KernelChoice::ScalarOnly;
}

bool UseAvx2Kernels() { return CpuHasAvx2() && CurrentKernelChoice() == KernelChoice::Best; }

}  // namespace kestrimo
