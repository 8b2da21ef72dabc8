#include "tests/engine/AllocationCounter.h"

#include <atomic>
#include <cstdlib>
#include <new>

#if defined(_WIN32)
#include <malloc.h>
#endif

namespace kestrimo::testing {
namespace {

std::atomic<std::int64_t> allocations{0};
std::atomic<std::int64_t> untilFailure{0};
std::atomic<bool> failed{false};

// Counts one allocation; true when it is the one armed to fail.
bool CountAndFail() noexcept {
  allocations.fetch_add(1, std::memory_order_relaxed);
  std::int64_t left = untilFailure.load(std::memory_order_relaxed);
  while (left != 0) {
    if (untilFailure.compare_exchange_weak(left, left - 1)) {
      if (left != 1) return false;
      failed.store(true);
      return true;
    }
  }
  return false;
}

void* Allocate(std::size_t bytes) noexcept {
  if (CountAndFail()) return nullptr;
  return std::malloc(bytes != 0 ? bytes : 1);
}

void* AllocateAligned(std::size_t bytes, std::align_val_t alignment) noexcept {
  if (CountAndFail()) return nullptr;
  const auto align = static_cast<std::size_t>(alignment);
  const std::size_t size = bytes != 0 ? bytes : 1;
#if defined(_WIN32)
  return _aligned_malloc(size, align);
#else
  void* block = nullptr;
  return posix_memalign(&block, align < sizeof(void*) ? sizeof(void*) : align, size) == 0 ? block
                                                                                           : nullptr;
#endif
}

void Release(void* block) noexcept { std::free(block); }

void ReleaseAligned(void* block) noexcept {
#if defined(_WIN32)
  _aligned_free(block);
#else
  std::free(block);
#endif
}

void* OrThrow(void* block) {
  if (block == nullptr) throw std::bad_alloc();
  return block;
}

}  // namespace

std::int64_t AllocationsSoFar() { return allocations.load(std::memory_order_relaxed); }

void FailNthOperatorNew(std::int64_t n) {
  if (n > 0) failed.store(false);
  untilFailure.store(n > 0 ? n : 0);
}

bool OperatorNewFailed() { return failed.load(); }

}  // namespace kestrimo::testing

using kestrimo::testing::Allocate;
using kestrimo::testing::AllocateAligned;
using kestrimo::testing::OrThrow;
using kestrimo::testing::Release;
using kestrimo::testing::ReleaseAligned;

void* operator new(std::size_t n) { return OrThrow(Allocate(n)); }
void* operator new[](std::size_t n) { return OrThrow(Allocate(n)); }
void* operator new(std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept { return Allocate(n); }
void* operator new(std::size_t n, std::align_val_t a) { return OrThrow(AllocateAligned(n, a)); }
void* operator new[](std::size_t n, std::align_val_t a) { return OrThrow(AllocateAligned(n, a)); }
void* operator new(std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
  return AllocateAligned(n, a);
}
void* operator new[](std::size_t n, std::align_val_t a, const std::nothrow_t&) noexcept {
  return AllocateAligned(n, a);
}

void operator delete(void* p) noexcept { Release(p); }
void operator delete[](void* p) noexcept { Release(p); }
void operator delete(void* p, std::size_t) noexcept { Release(p); }
void operator delete[](void* p, std::size_t) noexcept { Release(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { Release(p); }
void operator delete(void* p, std::align_val_t) noexcept { ReleaseAligned(p); }
void operator delete[](void* p, std::align_val_t) noexcept { ReleaseAligned(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { ReleaseAligned(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { ReleaseAligned(p); }
void operator delete(void* p, std::align_val_t, const std::nothrow_t&) noexcept { ReleaseAligned(p); }
void operator delete[](void* p, std::align_val_t, const std::nothrow_t&) noexcept {
  ReleaseAligned(p);
}
