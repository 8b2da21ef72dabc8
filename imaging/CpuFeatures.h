// Which kernel implementations run: the best the processor offers, or the
// scalar references (for tests and benchmarks that compare the two).
#pragma once

namespace kestrimo {

enum class KernelChoice { Best, ScalarOnly };

// Asked of the processor once.
bool CpuHasSse2();

void SetKernelChoice(KernelChoice choice);
KernelChoice CurrentKernelChoice();

// True when the dispatch tables should hand out the SSE2 twins.
bool UseSse2Kernels();

}  // namespace kestrimo
