#include "tests/reliability/GuardPageBlock.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace kestrimo::testing {
namespace {

std::size_t PageSize() {
#if defined(_WIN32)
  SYSTEM_INFO info{};
  GetSystemInfo(&info);
  return info.dwPageSize;
#else
  return static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
#endif
}

void* MapPages(std::size_t bytes) {
#if defined(_WIN32)
  return VirtualAlloc(nullptr, bytes, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
#else
  void* p = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
#endif
}

bool ShutPage(void* page, std::size_t bytes) {
#if defined(_WIN32)
  DWORD previous = 0;
  return VirtualProtect(page, bytes, PAGE_NOACCESS, &previous) != FALSE;
#else
  return mprotect(page, bytes, PROT_NONE) == 0;
#endif
}

void UnmapPages(void* mapping, std::size_t bytes) {
#if defined(_WIN32)
  (void)bytes;
  VirtualFree(mapping, 0, MEM_RELEASE);
#else
  munmap(mapping, bytes);
#endif
}

}  // namespace

GuardPageBlock::GuardPageBlock(std::size_t size, GuardPlacement placement) : size_(size) {
  const std::size_t page = PageSize();
  const std::size_t inner = (size + page - 1) / page * page;
  mappingSize_ = inner + 2 * page;
  mapping_ = MapPages(mappingSize_);
  if (mapping_ == nullptr) return;
  auto* base = static_cast<std::uint8_t*>(mapping_);
  if (!ShutPage(base, page) || !ShutPage(base + page + inner, page)) return;
  data_ = placement == GuardPlacement::AfterStart ? base + page : base + page + inner - size;
}

GuardPageBlock::~GuardPageBlock() {
  if (mapping_ != nullptr) UnmapPages(mapping_, mappingSize_);
}

}  // namespace kestrimo::testing
