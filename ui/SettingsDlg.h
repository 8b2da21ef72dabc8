// The modeless settings window: edits the record of the channel on screen
// while the video keeps running. Every access to the records, the current
// index, the channel name and the mask happens under the settings lock; the
// lock is never held across a message box, a chooser or a sent message.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>

#include "model/ChannelSettings.h"
#include "engine/PluginState.h"
#include "ui/AboutDlg.h"
#include "ui/DialogBase.h"
#include "ui/PreviewCanvas.h"
#include "ui/rules/AutoRepeat.h"
#include "ui/rules/ControlIds.h"
#include "ui/rules/EditEffect.h"
#include "ui/rules/ValueFields.h"

namespace kestrimo {

class CSettingsDlg : public DialogBase {
 public:
  CSettingsDlg();
  ~CSettingsDlg() override;

  // Creates the window for the plug-in's state, owned by hostWindow, and
  // shows it; false when it is open already or cannot be created. The
  // window's last position lives in state.DlgWndPosX/Y, where
  // the settings load and save find it.
  bool Open(PluginState& state, HWND hostWindow);
  // The state of the open window, or null.
  PluginState* State() const { return Window() != nullptr ? state_ : nullptr; }
  // Toggles the caption highlight 2 x count times, 80 ms apart.
  void StartFlash(int count);

  static constexpr UINT_PTR kFlashTimerId = 2;
  static constexpr UINT kFlashIntervalMs = 80;

 protected:
  BOOL OnInitDialog() override;
  bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  // Enter and Escape never close the window.
  void OnOK() override {}
  void OnCancel() override {}
  void PostNcDestroy() override;

 private:
  // Opening.
  void PlaceWindow();
  void TakeUndoSnapshot();
  void SetButtonIcons();
  void SetUpValueFields();
  void CreateToolTips();
  void InstallMouseHook();

  // Messages.
  void Refresh(std::int32_t code);
  void CloseDiscarding();
  void OnDestroy();
  void OnTimer(UINT_PTR id);
  bool OnCommand(int id, int notification);
  void OnValueChanged(ui::ValueField field);
  void OnCheckBox(ui::ControlId box);
  void OnPositionButton(ui::ControlId button);
  void ChooseMaskFile();
  void ChooseColour();
  bool DrawSwatch(const DRAWITEMSTRUCT& item);
  void PaintPreview();

  // The logo search: started and stopped by its button, polled on a timer.
  void OnFindButton();
  void StartSearch();
  void StopSearch();
  void ShowSearching(bool searching);
  void PollSearch();
  void ApplyFound(const LogoFinding::Found& found);
  void ReportNotFound(LogoFinding::Reason reason);

  // Auto-repeat, driven by the thread's mouse hook.
  static LRESULT CALLBACK MouseHook(int code, WPARAM wParam, LPARAM lParam);
  void OnHookedMouse(UINT message, const MOUSEHOOKSTRUCT& info);
  void ApplyRepeatStep(std::int32_t steps);

  // Runs edit on the current record under the lock, then carries out its
  // effect: load and rebuild under the lock, the refresh posted after it.
  template <class Edit>
  void EditCurrent(Edit edit);
  void Rebuild(const ChannelSettings& record);
  void PostRefresh(ui::RefreshCode code);

  PluginState* state_ = nullptr;
  HWND m_hostWnd = nullptr;
  CAboutDlg m_about;
  std::unique_ptr<PreviewCanvas> m_preview;
  HWND m_toolTip = nullptr;
  std::int32_t m_flashCount = 0;
  // The held button (m_repeatId) and the step accumulator (m_repeatStep).
  ui::AutoRepeat m_repeat;
  HHOOK hook_ = nullptr;
  bool initialising_ = false;
  int valueDepth_ = 0;
  bool searching_ = false;   // a search started here is being polled
  std::string caption_;      // the caption shown when no search runs
};

}  // namespace kestrimo
