// A dialog window built from a template in a module's resources, created
// modeless or run modal, with its messages handed to member functions.
#pragma once

#include <windows.h>

#include <span>

namespace kestrimo {

class DialogBase {
 public:
  // module: the module whose resources hold the template; null means the
  // plug-in library's own module.
  explicit DialogBase(int templateId, HINSTANCE module = nullptr);
  // A window that still exists is destroyed without calling PostNcDestroy.
  virtual ~DialogBase();
  DialogBase(const DialogBase&) = delete;
  DialogBase& operator=(const DialogBase&) = delete;

  // Creates the window modeless, owned by parent (may be null). It is shown
  // only if the template says so. False when the window exists already or
  // cannot be created.
  bool Create(HWND parent);
  // Runs the dialog modally, owned by owner (may be null), and returns the
  // value given to EndModal. -1 when it cannot be created, or when this
  // dialog is open already: the open one is then brought forward instead.
  INT_PTR DoModal(HWND owner);
  // Ends a modal run with the given result; destroys a modeless window.
  void EndModal(INT_PTR result);
  // Destroys a modeless window; ends a modal run with IDCANCEL.
  void Destroy();

  HWND Window() const { return window_; }
  bool IsModal() const { return modal_; }
  int TemplateId() const { return templateId_; }
  HINSTANCE Module() const { return module_; }

  // The control with the given id, or null.
  HWND Item(int id) const;
  // Looks up the controls of ids into items (same length); false when one is
  // missing, whose entry is then null.
  bool BindItems(std::span<const int> ids, std::span<HWND> items) const;

 protected:
  // Called on WM_INITDIALOG, with Window() already set. TRUE lets the
  // system give the focus to the first tab stop.
  virtual BOOL OnInitDialog();
  // Called for every message from WM_INITDIALOG to WM_NCDESTROY (both
  // excluded). Returns true when handled; result is then the message's
  // result. Unhandled IDOK and IDCANCEL commands go to OnOK and OnCancel.
  virtual bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);
  // Enter, the default button, "OK": ends the dialog with IDOK.
  virtual void OnOK();
  // Escape, the close box, "Cancel": ends the dialog with IDCANCEL.
  virtual void OnCancel();
  // Called on WM_NCDESTROY, after Window() has become null.
  virtual void PostNcDestroy();

 private:
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  BOOL InitDialog(HWND window);
  void NcDestroy();
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR Reply(UINT message, LRESULT result);
  void CenterIfUnmoved(const RECT& before) const;

  int templateId_;
  HINSTANCE module_;
  HWND window_ = nullptr;
  bool modal_ = false;
};

}  // namespace kestrimo
