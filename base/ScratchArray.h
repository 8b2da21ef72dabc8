// A scratch array of the mask passes, kept between rebuilds.
#pragma once

#include <cstdint>

#include "base/AlignedMemory.h"
#include "base/CapacityRule.h"

namespace kestrimo {

// A 16-byte aligned scratch array that only ever grows (by 25 %), kept
// between rebuilds so that rebuilding the same mask again allocates nothing.
template <typename T>
class ScratchArray {
 public:
  ScratchArray() = default;
  ~ScratchArray() { FreeAligned(data_); }
  ScratchArray(const ScratchArray&) = delete;
  ScratchArray& operator=(const ScratchArray&) = delete;

  // Room for `count` elements (contents not kept when it grows); null when
  // the memory cannot be had.
  T* Ensure(std::int32_t count) {
    GrowArray(data_, capacity_, count, 25, 100);
    return data_ != nullptr && capacity_ >= count ? data_ : nullptr;
  }
  T* Data() const { return data_; }

 private:
  T* data_ = nullptr;
  std::int32_t capacity_ = 0;
};

}  // namespace kestrimo
