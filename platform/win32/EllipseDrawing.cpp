#include "platform/EllipseDrawing.h"

#include <windows.h>

#include "platform/EllipseRaster.h"

namespace kestrimo {
namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);

// Black box, then the white ellipse with a one-pixel pen, then the centre.
bool DrawOnContext(HDC dc, std::int32_t rx, std::int32_t ry) {
  const RECT box{0, 0, 2 * rx + 1, 2 * ry + 1};
  // Some drawing back ends spill stray pixels of very narrow ellipses past
  // the box; the rest of the surface is not ours to change.
  IntersectClipRect(dc, box.left, box.top, box.right, box.bottom);
  bool drawn = FillRect(dc, &box, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH))) != 0;
  HPEN pen = CreatePen(PS_SOLID, 0, kWhite);
  HBRUSH brush = CreateSolidBrush(kWhite);
  if (pen != nullptr && brush != nullptr) {
    HGDIOBJ oldPen = SelectObject(dc, pen);
    HGDIOBJ oldBrush = SelectObject(dc, brush);
    drawn = Ellipse(dc, box.left, box.top, box.right, box.bottom) != 0 && drawn;
    SetPixel(dc, rx, ry, kWhite);
    SelectObject(dc, oldBrush);
    SelectObject(dc, oldPen);
  } else {
    drawn = false;
  }
  if (brush != nullptr) DeleteObject(brush);
  if (pen != nullptr) DeleteObject(pen);
  return drawn;
}

}  // namespace

bool DrawEllipse(const DibSection& surface, std::uint32_t* pixels, std::int32_t allocWidth,
                 std::int32_t allocHeight, std::int32_t rx, std::int32_t ry) {
  HBITMAP bitmap = static_cast<HBITMAP>(surface.Handle());
  if (bitmap == nullptr || pixels == nullptr || rx < 0 || ry < 0) return false;
  if (rx > kMaxRasterRadius || ry > kMaxRasterRadius) return false;
  if (2 * rx + 1 > allocWidth || 2 * ry + 1 > allocHeight) return false;
  HDC dc = CreateCompatibleDC(nullptr);
  if (dc == nullptr) return false;
  bool drawn = false;
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  if (oldBitmap != nullptr && oldBitmap != HGDI_ERROR) {
    drawn = DrawOnContext(dc, rx, ry);
    SelectObject(dc, oldBitmap);
  }
  DeleteDC(dc);
  // Drawing may be batched; the caller reads the pixel block directly next.
  GdiFlush();
  return drawn;
}

}  // namespace kestrimo
