#include "tests/reliability/ProcessMemory.h"

#if defined(_WIN32)
#include <windows.h>
#include <psapi.h>
#else
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#endif

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define KESTRIMO_SANITIZED_HEAP 1
#include <cstddef>
// The sanitizer runtimes' own count of the bytes their allocator has handed
// out (declared here: not every compiler ships the header).
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace kestrimo::testing {

#if defined(_WIN32)

namespace {
// The bytes of every block in use, over all of the process's heaps (the C
// runtime's allocations come from one of them).
std::int64_t HeapBytesInUse() {
  HANDLE heaps[64];
  const DWORD count = GetProcessHeaps(64, heaps);
  std::int64_t bytes = 0;
  for (DWORD i = 0; i < count && i < 64; ++i) {
    if (!HeapLock(heaps[i])) continue;
    PROCESS_HEAP_ENTRY entry{};
    while (HeapWalk(heaps[i], &entry))
      if ((entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) != 0) bytes += entry.cbData;
    HeapUnlock(heaps[i]);
  }
  return bytes;
}
}  // namespace

MemoryFigures MeasureMemory() {
  MemoryFigures figures;
  figures.heapBytes = HeapBytesInUse();
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
    figures.residentBytes = static_cast<std::int64_t>(counters.WorkingSetSize);
  return figures;
}

// Other threads of the runtime may hold a little heap of their own.
std::int64_t HeapGrowthTolerance() { return 256 << 10; }

#else

namespace {
std::int64_t ResidentBytes() {
  long pages = 0, resident = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(statm);
  }
  return static_cast<std::int64_t>(resident) * sysconf(_SC_PAGESIZE);
}
}  // namespace

MemoryFigures MeasureMemory() {
  MemoryFigures figures;
#if defined(KESTRIMO_SANITIZED_HEAP)
  // The sanitizers bring their own allocator, which keeps its own count.
  figures.heapBytes = static_cast<std::int64_t>(__sanitizer_get_current_allocated_bytes());
#else
  const struct mallinfo2 info = mallinfo2();
  figures.heapBytes = static_cast<std::int64_t>(info.uordblks + info.hblkhd);
#endif
  figures.residentBytes = ResidentBytes();
  return figures;
}

std::int64_t HeapGrowthTolerance() { return 64 << 10; }

#endif

}  // namespace kestrimo::testing
