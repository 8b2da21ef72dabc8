#include "platform/DibSection.h"

#include "base/AlignedMemory.h"

namespace kestrimo {

// The stand-in surface is the pixel block itself; the handle is its address.
std::uint32_t* DibSection::Create(const DibHeader& header) {
  Release();
  if (header.biBitCount != 32 || header.biWidth <= 0 || header.biHeight <= 0) return nullptr;
  const auto bytes = BlockBytes(header.biWidth, header.biHeight, sizeof(std::uint32_t));
  if (!bytes) return nullptr;
  handle_ = AllocateAligned(*bytes);
  return static_cast<std::uint32_t*>(handle_);
}

void DibSection::Release() {
  FreeAligned(handle_);
  handle_ = nullptr;
}

}  // namespace kestrimo
