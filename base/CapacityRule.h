// When a growable block is reused and how large a new one is made. Growth g
// and shrink s are percentages of slack: a block of capacity c serves any
// request n with MulDiv(c, 100 - s, 100 + g) <= n <= c; otherwise the new
// capacity is MulDiv(n, 100 + g, 100). With g = s = 0 only n == c is reused.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrimo {

// True when a block of capacity `capacity` may serve `count` elements.
bool CapacityFits(std::int32_t count, std::int32_t capacity, std::int32_t growth,
                  std::int32_t shrink);

// The capacity to allocate for `count` elements; -1 when it does not fit in
// 32 bits. Never below count for count >= 0.
std::int32_t GrownCapacity(std::int32_t count, std::int32_t growth);

// Ensures a 16-byte aligned array (freed with FreeAligned) for `count`
// elements of elementSize bytes under the rule above. A new array replaces the
// old one without keeping its contents. A negative or absurd count, or a
// failed allocation, leaves the array empty: null with capacity 0.
void GrowArray(void*& array, std::int32_t& capacity, std::int32_t count,
               std::size_t elementSize, std::int32_t growth, std::int32_t shrink);

// The same for a typed array.
template <typename T>
void GrowArray(T*& array, std::int32_t& capacity, std::int32_t count,
               std::int32_t growth, std::int32_t shrink) {
  void* block = array;
  GrowArray(block, capacity, count, sizeof(T), growth, shrink);
  array = static_cast<T*>(block);
}

}  // namespace kestrimo
