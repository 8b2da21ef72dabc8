// A block of bytes placed against an inaccessible page, so that any read or
// write past its end (or before its start) faults at once: the last byte
// touches the page after it, or the first byte follows the page before it.
// Both neighbouring pages are inaccessible in either placement.
#pragma once

#include <cstddef>
#include <cstdint>

namespace kestrimo::testing {

enum class GuardPlacement { AgainstEnd, AfterStart };

class GuardPageBlock {
 public:
  GuardPageBlock(std::size_t size, GuardPlacement placement);
  ~GuardPageBlock();
  GuardPageBlock(const GuardPageBlock&) = delete;
  GuardPageBlock& operator=(const GuardPageBlock&) = delete;

  // Null when the pages could not be had.
  std::uint8_t* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  void* mapping_ = nullptr;
  std::size_t mappingSize_ = 0;
  std::uint8_t* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace kestrimo::testing
