#include "ui/PreviewCanvas.h"

#include "ui/rules/PreviewFit.h"

namespace kestrimo {

PreviewCanvas::PreviewCanvas(HWND control) : parent_(GetParent(control)), control_(control) {
  GetClientRect(control_, &client_);
  m_canvasWidth = client_.right - client_.left;
  m_canvasHeight = client_.bottom - client_.top;
  if (m_canvasWidth <= 0 || m_canvasHeight <= 0) return;
  header_.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  header_.bmiHeader.biWidth = m_canvasWidth;
  header_.bmiHeader.biHeight = m_canvasHeight;  // positive: rows bottom-up
  header_.bmiHeader.biPlanes = 1;
  header_.bmiHeader.biBitCount = 32;
  header_.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = CreateDIBSection(nullptr, &header_, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap_ == nullptr) return;
  m_canvasBits = static_cast<std::uint32_t*>(bits);
  SendMessageA(control_, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap_));
}

PreviewCanvas::~PreviewCanvas() {
  if (bitmap_ == nullptr) return;
  if (IsWindow(control_)) SendMessageA(control_, STM_SETIMAGE, IMAGE_BITMAP, 0);
  DeleteObject(bitmap_);
}

void PreviewCanvas::ClearCanvas() {
  if (bitmap_ == nullptr) return;
  HDC memory = CreateCompatibleDC(nullptr);
  HGDIOBJ previous = SelectObject(memory, bitmap_);
  HBRUSH background = CreateSolidBrush(ui::kPreviewBackground);
  FillRect(memory, &client_, background);
  SelectObject(memory, previous);
  DeleteObject(background);
  DeleteDC(memory);
  GdiFlush();  // the pixels are written directly next
}

void PreviewCanvas::PresentCanvas() {
  if (bitmap_ == nullptr) return;
  HDC screen = GetDC(control_);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ previous = SelectObject(memory, bitmap_);
  BitBlt(screen, 0, 0, m_canvasWidth, m_canvasHeight, memory, 0, 0, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  ReleaseDC(control_, screen);
}

}  // namespace kestrimo
