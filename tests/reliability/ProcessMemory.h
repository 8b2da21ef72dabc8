// The process's memory figures for the soak: bytes the heap has handed out
// and not taken back, and the resident size (the working set on Windows).
#pragma once

#include <cstdint>

namespace kestrimo::testing {

struct MemoryFigures {
  std::int64_t heapBytes = 0;
  std::int64_t residentBytes = 0;
};

MemoryFigures MeasureMemory();

// The heap growth the soak tolerates.
std::int64_t HeapGrowthTolerance();

}  // namespace kestrimo::testing
