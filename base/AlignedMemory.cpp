#include "base/AlignedMemory.h"

#include <atomic>
#include <limits>
#include <new>

namespace kestrimo {
namespace {

std::atomic<std::int64_t> allocationsUntilFailure{0};
std::atomic<bool> allocationFailed{false};

}  // namespace

void FailNthAllocationForTesting(std::int64_t n) noexcept {
  if (n > 0) allocationFailed.store(false);
  allocationsUntilFailure.store(n > 0 ? n : 0);
}

bool AllocationFailureHappenedForTesting() noexcept { return allocationFailed.load(); }

bool AllocationFaultDue() noexcept {
  std::int64_t left = allocationsUntilFailure.load(std::memory_order_relaxed);
  while (left != 0) {
    if (allocationsUntilFailure.compare_exchange_weak(left, left - 1)) {
      if (left != 1) return false;
      allocationFailed.store(true);
      return true;
    }
  }
  return false;
}

std::optional<std::size_t> BlockBytes(std::int32_t width, std::int32_t height,
                                      std::size_t elementSize) {
  if (width < 0 || height < 0) return std::nullopt;
  const std::int64_t count = std::int64_t{width} * height;  // at most 2^62
  if (count > kMaxImagePixels) return std::nullopt;
  const auto elements = static_cast<std::uint64_t>(count);
  if (elements != 0 && elementSize > std::numeric_limits<std::size_t>::max() / elements)
    return std::nullopt;
  return static_cast<std::size_t>(elements) * elementSize;
}

void* AllocateAligned(std::size_t bytes) noexcept {
  if (bytes == 0 || AllocationFaultDue()) return nullptr;
  return ::operator new(bytes, std::align_val_t{kBlockAlignment}, std::nothrow);
}

void FreeAligned(void* block) noexcept {
  if (block != nullptr) ::operator delete(block, std::align_val_t{kBlockAlignment});
}

}  // namespace kestrimo
