// The About box: the plug-in's name, version and emblem, run modally from the
// settings window. It touches no settings and takes no lock.
#pragma once

#include <windows.h>

#include "ui/DialogBase.h"

namespace kestrimo {

class CAboutDlg : public DialogBase {
 public:
  // parent: the owner while the box runs; null (as the settings window
  // constructs it) leaves every other window enabled. module: where template
  // IDD_ABOUT lives; null means the plug-in library.
  explicit CAboutDlg(HWND parent = nullptr, HINSTANCE module = nullptr);

  // Runs the box until "OK", Enter or Escape; returns IDOK or IDCANCEL, or -1
  // when it could not open or is open already (the open one comes forward).
  INT_PTR DoModal();

 private:
  HWND parent_;
};

}  // namespace kestrimo
