#include "ui/AboutDlg.h"

#include "resources/ResourceIds.h"

namespace kestrimo {

CAboutDlg::CAboutDlg(HWND parent, HINSTANCE module)
    : DialogBase(IDD_ABOUT, module), parent_(parent) {}

INT_PTR CAboutDlg::DoModal() { return DialogBase::DoModal(parent_); }

}  // namespace kestrimo
