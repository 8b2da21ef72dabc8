// Helpers of the window tests: the plug-in library whose resources they use,
// text conversions, window facts, message pumping and window pictures.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace kestrimo::testing {

// Set by main from --library=PATH and --capture-dir=DIR.
extern std::string pluginLibraryPath;
extern std::string captureDir;

// The plug-in library, loaded once for the whole program; null on failure.
HMODULE PluginModule();

// Russian texts are written in the tests as UTF-8.
std::wstring Wide(const char8_t* utf8);
std::string Cp1251(const char8_t* utf8);

std::string ClassName(HWND window);
std::string TextA(HWND window);
std::wstring TextW(HWND window);

// The children of a window in Z order, which for a dialog is template order.
std::vector<HWND> Children(HWND window);

// The window's rectangle in its parent's client coordinates.
RECT RectInParent(HWND window);
// A rectangle given in dialog units, in the dialog's pixels.
RECT DialogUnitsToPixels(HWND dialog, int x, int y, int cx, int cy);

// Dispatches the thread's messages for the given time.
void PumpMessages(int milliseconds);

// Shows the window on top and, when a capture folder was given, writes what
// the screen shows of it as DIR/name.bmp.
void CaptureWindow(HWND window, const char* name);

}  // namespace kestrimo::testing
