#include "ui/DialogBase.h"

#include <commctrl.h>

#include <algorithm>

#include "platform/ModuleInfo.h"

namespace kestrimo {

namespace {

// The spin (up-down) and tooltip classes live in the common controls
// library, which registers them on request. Cheap to repeat.
void RegisterCommonControls() {
  INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX), ICC_UPDOWN_CLASS | ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
}

// Messages whose result a dialog procedure returns itself instead of
// storing it in DWLP_MSGRESULT.
bool ReturnsResultDirectly(UINT message) {
  return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ||
         message == WM_COMPAREITEM || message == WM_VKEYTOITEM || message == WM_CHARTOITEM ||
         message == WM_QUERYDRAGICON || message == WM_INITDIALOG;
}

RECT PlacementArea(HWND owner) {
  RECT area{};
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner) &&
      GetWindowRect(owner, &area))
    return area;
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

}  // namespace

DialogBase::DialogBase(int templateId, HINSTANCE module)
    : templateId_(templateId),
      module_(module != nullptr ? module : static_cast<HINSTANCE>(OwnModuleHandle())) {}

DialogBase::~DialogBase() {
  if (window_ == nullptr) return;
  // The window must not call back into a half-destroyed object.
  SetWindowLongPtrA(window_, DWLP_USER, 0);
  DestroyWindow(window_);
  window_ = nullptr;
}

bool DialogBase::Create(HWND parent) {
  if (window_ != nullptr) return false;
  RegisterCommonControls();
  modal_ = false;
  return CreateDialogParamA(module_, MAKEINTRESOURCEA(templateId_), parent, &DialogProc,
                            reinterpret_cast<LPARAM>(this)) != nullptr;
}

INT_PTR DialogBase::DoModal(HWND owner) {
  if (window_ != nullptr) {
    SetForegroundWindow(window_);
    return -1;
  }
  RegisterCommonControls();
  modal_ = true;
  const INT_PTR result = DialogBoxParamA(module_, MAKEINTRESOURCEA(templateId_), owner,
                                         &DialogProc, reinterpret_cast<LPARAM>(this));
  modal_ = false;
  return result;
}

void DialogBase::EndModal(INT_PTR result) {
  if (window_ == nullptr) return;
  if (modal_)
    EndDialog(window_, result);
  else
    DestroyWindow(window_);
}

void DialogBase::Destroy() { EndModal(IDCANCEL); }

HWND DialogBase::Item(int id) const {
  return window_ != nullptr ? GetDlgItem(window_, id) : nullptr;
}

bool DialogBase::BindItems(std::span<const int> ids, std::span<HWND> items) const {
  if (items.size() != ids.size()) return false;
  bool all = true;
  for (std::size_t i = 0; i < ids.size(); ++i) {
    items[i] = Item(ids[i]);
    all = all && items[i] != nullptr;
  }
  return all;
}

BOOL DialogBase::OnInitDialog() { return TRUE; }

bool DialogBase::HandleMessage(UINT, WPARAM, LPARAM, LRESULT&) { return false; }

void DialogBase::OnOK() { EndModal(IDOK); }

void DialogBase::OnCancel() { EndModal(IDCANCEL); }

void DialogBase::PostNcDestroy() {}

INT_PTR CALLBACK DialogBase::DialogProc(HWND window, UINT message, WPARAM wParam,
                                        LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* dialog = reinterpret_cast<DialogBase*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    return dialog->InitDialog(window);
  }
  auto* dialog = reinterpret_cast<DialogBase*>(GetWindowLongPtrA(window, DWLP_USER));
  if (dialog == nullptr) return FALSE;  // before WM_INITDIALOG or after detaching
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, DWLP_USER, 0);
    dialog->NcDestroy();
    return FALSE;
  }
  return dialog->Dispatch(message, wParam, lParam);
}

BOOL DialogBase::InitDialog(HWND window) {
  window_ = window;
  RECT before{};
  GetWindowRect(window, &before);
  const BOOL defaultFocus = OnInitDialog();
  if (modal_ && window_ != nullptr) CenterIfUnmoved(before);
  return defaultFocus;
}

void DialogBase::NcDestroy() {
  window_ = nullptr;
  PostNcDestroy();
}

INT_PTR DialogBase::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  LRESULT result = 0;
  if (HandleMessage(message, wParam, lParam, result)) return Reply(message, result);
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (LOWORD(wParam) == IDOK) {
      OnOK();
      return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
      OnCancel();
      return TRUE;
    }
  }
  return FALSE;
}

INT_PTR DialogBase::Reply(UINT message, LRESULT result) {
  if (ReturnsResultDirectly(message)) return static_cast<INT_PTR>(result);
  // A handler may have destroyed the window; then there is nowhere to store it.
  if (window_ != nullptr) SetWindowLongPtrA(window_, DWLP_MSGRESULT, result);
  return TRUE;
}

// A modal dialog that its OnInitDialog did not place is centred on its
// owner, or on the screen's work area when it has none, and kept inside
// the work area.
void DialogBase::CenterIfUnmoved(const RECT& before) const {
  RECT now{};
  GetWindowRect(window_, &now);
  if (now.left != before.left || now.top != before.top) return;
  const RECT area = PlacementArea(GetWindow(window_, GW_OWNER));
  RECT work{};
  SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  const int width = now.right - now.left;
  const int height = now.bottom - now.top;
  int x = area.left + (area.right - area.left - width) / 2;
  int y = area.top + (area.bottom - area.top - height) / 2;
  x = std::max<int>(work.left, std::min<int>(x, work.right - width));
  y = std::max<int>(work.top, std::min<int>(y, work.bottom - height));
  SetWindowPos(window_, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace kestrimo
