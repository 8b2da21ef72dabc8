// 16-byte aligned blocks for pixel data and scratch arrays, allocated without
// exceptions, and the checked size computation every such block goes through.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>

namespace kestrimo {

// Alignment of every pixel and scratch block: the vector loops load 16 bytes.
inline constexpr std::size_t kBlockAlignment = 16;

// Largest image (or array) kept: 64 Mi elements. Sizes from settings and
// pictures beyond it leave a buffer empty instead of allocating gigabytes.
inline constexpr std::int64_t kMaxImagePixels = std::int64_t{64} * 1024 * 1024;

// Bytes of a width x height block of elementSize-byte elements, computed in
// 64 bits. Empty when a size is negative, the element count exceeds
// kMaxImagePixels, or the byte count does not fit in std::size_t.
std::optional<std::size_t> BlockBytes(std::int32_t width, std::int32_t height,
                                      std::size_t elementSize);

// A 16-byte aligned block, or null when bytes is 0 or memory is short.
void* AllocateAligned(std::size_t bytes) noexcept;

// Releases a block of AllocateAligned; null is allowed.
void FreeAligned(void* block) noexcept;

// Test hook for out-of-memory paths, shared by AllocateAligned and the native
// picture decoder's own allocations: the nth allocation from now (1 = the
// next) fails as if memory were short, once; 0 disarms it (the state at
// start) and keeps the record of whether it failed. Off, it costs one relaxed atomic load per allocation.
void FailNthAllocationForTesting(std::int64_t n) noexcept;
// True once the armed failure has happened (until the next arming).
bool AllocationFailureHappenedForTesting() noexcept;
// Counts one allocation against the armed failure; true when this one is to
// fail. Every allocation under the hook calls it exactly once.
bool AllocationFaultDue() noexcept;

}  // namespace kestrimo
