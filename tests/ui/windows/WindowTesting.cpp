#include "tests/ui/windows/WindowTesting.h"

#include <cstdio>

namespace kestrimo::testing {

std::string pluginLibraryPath;
std::string captureDir;

HMODULE PluginModule() {
  static HMODULE module = LoadLibraryExA(pluginLibraryPath.c_str(), nullptr, 0);
  return module;
}

std::wstring Wide(const char8_t* utf8) {
  const auto* bytes = reinterpret_cast<const char*>(utf8);
  const int length = MultiByteToWideChar(CP_UTF8, 0, bytes, -1, nullptr, 0);
  std::wstring out(length, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, bytes, -1, out.data(), length);
  out.resize(length - 1);
  return out;
}

std::string Cp1251(const char8_t* utf8) {
  const std::wstring wide = Wide(utf8);
  const int length = WideCharToMultiByte(1251, 0, wide.c_str(), -1, nullptr, 0, nullptr, nullptr);
  std::string out(length, '\0');
  WideCharToMultiByte(1251, 0, wide.c_str(), -1, out.data(), length, nullptr, nullptr);
  out.resize(length - 1);
  return out;
}

std::string ClassName(HWND window) {
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return name;
}

std::string TextA(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

std::wstring TextW(HWND window) {
  wchar_t text[256] = {};
  GetWindowTextW(window, text, 256);
  return text;
}

std::vector<HWND> Children(HWND window) {
  std::vector<HWND> children;
  for (HWND child = GetWindow(window, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT))
    children.push_back(child);
  return children;
}

RECT RectInParent(HWND window) {
  RECT rect{};
  GetWindowRect(window, &rect);
  MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

RECT DialogUnitsToPixels(HWND dialog, int x, int y, int cx, int cy) {
  // The system converts position and size separately, as this does.
  RECT units{x, y, cx, cy};
  MapDialogRect(dialog, &units);
  return {units.left, units.top, units.left + units.right, units.top + units.bottom};
}

void PumpMessages(int milliseconds) {
  const DWORD start = GetTickCount();
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    Sleep(10);
  } while (GetTickCount() - start < static_cast<DWORD>(milliseconds));
}

namespace {

bool WriteBmp(const std::string& path, int width, int height, const void* bits) {
  const DWORD rowBytes = (width * 3 + 3) & ~3;
  BITMAPINFOHEADER info{sizeof info, width, height, 1, 24, BI_RGB, rowBytes * height, 0, 0, 0, 0};
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof file + sizeof info;
  file.bfSize = file.bfOffBits + info.biSizeImage;
  FILE* out = std::fopen(path.c_str(), "wb");
  if (out == nullptr) return false;
  const bool ok = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                  std::fwrite(&info, sizeof info, 1, out) == 1 &&
                  std::fwrite(bits, info.biSizeImage, 1, out) == 1;
  return std::fclose(out) == 0 && ok;
}

}  // namespace

void CaptureWindow(HWND window, const char* name) {
  SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  UpdateWindow(window);
  PumpMessages(400);
  if (captureDir.empty()) return;
  RECT rect{};
  GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  void* bits = nullptr;
  HBITMAP picture = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ previous = SelectObject(memory, picture);
  BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  GdiFlush();
  const std::string path = captureDir + "\\" + name + ".bmp";
  if (!WriteBmp(path, width, height, bits)) std::fprintf(stderr, "cannot write %s\n", path.c_str());
  SelectObject(memory, previous);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

}  // namespace kestrimo::testing
