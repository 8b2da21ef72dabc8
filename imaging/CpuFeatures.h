// Which kernel set runs: the best the processor offers, the SSE2 twins only,
// or the scalar references (for tests and benchmarks that compare the levels).
#pragma once

namespace kestrimo {

enum class KernelChoice { Best, ScalarOnly, Sse2Only };

// Asked of the processor (and, for AVX2, of the operating system) once.
bool CpuHasSse2();
bool CpuHasAvx2();

void SetKernelChoice(KernelChoice choice);
KernelChoice CurrentKernelChoice();

}  // namespace kestrimo
