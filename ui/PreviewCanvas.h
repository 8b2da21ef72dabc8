// The preview's drawing surface: a 32-bit bottom-up bitmap section of exactly
// the preview control's client size, handed to the control so that it repaints
// it by itself. The settings window draws into its pixels and presents them.
#pragma once

#include <windows.h>

#include <cstdint>

namespace kestrimo {

class PreviewCanvas {
 public:
  explicit PreviewCanvas(HWND control);
  virtual ~PreviewCanvas();
  PreviewCanvas(const PreviewCanvas&) = delete;
  PreviewCanvas& operator=(const PreviewCanvas&) = delete;

  // Fills the whole canvas with the dark blue background.
  void ClearCanvas();
  // Copies the canvas to the control's client area at once.
  void PresentCanvas();

  // Pixels B, G, R, A, rows bottom-up; null when the section could not be made.
  std::uint32_t* m_canvasBits = nullptr;
  std::int32_t m_canvasWidth = 0;
  std::int32_t m_canvasHeight = 0;

 private:
  HWND parent_ = nullptr;
  HWND control_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  BITMAPINFO header_{};
  RECT client_{};
};

}  // namespace kestrimo
