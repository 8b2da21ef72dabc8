// A 32-bit bottom-up bitmap surface that drawing and decoding code can write
// into: a device-independent bitmap section on Windows, a 16-byte aligned
// block elsewhere. The pixel block belongs to the surface.
#pragma once

#include <cstdint>

namespace kestrimo {

// The 40-byte bitmap information header followed by one colour entry of four
// bytes, laid out as the windowing system reads it.
struct DibHeader {
  std::uint32_t biSize = 0;
  std::int32_t biWidth = 0;
  std::int32_t biHeight = 0;  // positive: rows stored bottom-up
  std::uint16_t biPlanes = 0;
  std::uint16_t biBitCount = 0;
  std::uint32_t biCompression = 0;
  std::uint32_t biSizeImage = 0;
  std::int32_t biXPelsPerMeter = 0;
  std::int32_t biYPelsPerMeter = 0;
  std::uint32_t biClrUsed = 0;
  std::uint32_t biClrImportant = 0;
  std::uint8_t colour[4] = {0, 0, 0, 0};
};
static_assert(sizeof(DibHeader) == 44);

class DibSection {
 public:
  DibSection() = default;
  ~DibSection() { Release(); }
  DibSection(const DibSection&) = delete;
  DibSection& operator=(const DibSection&) = delete;

  // Creates the surface for a 32-bit header with positive width and height,
  // replacing any earlier one. Returns its pixel block (16-byte aligned), or
  // null when the surface cannot be made.
  std::uint32_t* Create(const DibHeader& header);
  // Deletes the surface; its pixel block is gone afterwards.
  void Release();
  // The platform's bitmap handle (an HBITMAP on Windows), or null.
  void* Handle() const { return handle_; }

 private:
  void* handle_ = nullptr;
};

}  // namespace kestrimo
