#include "platform/DibSection.h"

#include <windows.h>

#include <cstddef>

namespace kestrimo {

static_assert(sizeof(BITMAPINFOHEADER) == 40);
static_assert(offsetof(DibHeader, biBitCount) == offsetof(BITMAPINFOHEADER, biBitCount));
static_assert(offsetof(DibHeader, biClrImportant) ==
              offsetof(BITMAPINFOHEADER, biClrImportant));
static_assert(offsetof(DibHeader, colour) == offsetof(BITMAPINFO, bmiColors));

std::uint32_t* DibSection::Create(const DibHeader& header) {
  Release();
  if (header.biBitCount != 32 || header.biWidth <= 0 || header.biHeight <= 0) return nullptr;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, reinterpret_cast<const BITMAPINFO*>(&header),
                                    DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap == nullptr) return nullptr;
  if (bits == nullptr) {
    DeleteObject(bitmap);
    return nullptr;
  }
  handle_ = bitmap;
  return static_cast<std::uint32_t*>(bits);
}

void DibSection::Release() {
  if (handle_ == nullptr) return;
  DeleteObject(static_cast<HBITMAP>(handle_));
  handle_ = nullptr;
}

}  // namespace kestrimo
