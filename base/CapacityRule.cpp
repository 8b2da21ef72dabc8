#include "base/CapacityRule.h"

#include "base/AlignedMemory.h"
#include "base/MulDiv.h"

namespace kestrimo {
namespace {

// Percentages are taken within 0..1000: a negative growth would make a block
// smaller than the request, and larger values only overflow.
std::int32_t ClampPercent(std::int32_t percent) {
  if (percent < 0) return 0;
  return percent > 1000 ? 1000 : percent;
}

}  // namespace

bool CapacityFits(std::int32_t count, std::int32_t capacity, std::int32_t growth,
                  std::int32_t shrink) {
  const std::int32_t g = ClampPercent(growth);
  const std::int32_t s = ClampPercent(shrink);
  return count <= capacity && count >= MulDiv(capacity, 100 - s, 100 + g);
}

std::int32_t GrownCapacity(std::int32_t count, std::int32_t growth) {
  return MulDiv(count, 100 + ClampPercent(growth), 100);
}

void GrowArray(void*& array, std::int32_t& capacity, std::int32_t count,
               std::size_t elementSize, std::int32_t growth, std::int32_t shrink) {
  const bool held = array != nullptr || capacity == 0;
  if (count >= 0 && held && CapacityFits(count, capacity, growth, shrink)) return;
  FreeAligned(array);
  array = nullptr;
  capacity = 0;
  const std::int32_t wanted = count < 0 ? -1 : GrownCapacity(count, growth);
  const auto bytes = BlockBytes(wanted, 1, elementSize);
  if (!bytes || *bytes == 0) return;
  array = AllocateAligned(*bytes);
  if (array != nullptr) capacity = wanted;
}

}  // namespace kestrimo
