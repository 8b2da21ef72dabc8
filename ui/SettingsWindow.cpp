#include "ui/SettingsWindow.h"

#include <windows.h>

#include "base/Cp1251Text.h"
#include "engine/PluginState.h"
#include "ui/SettingsDlg.h"

namespace kestrimo {
namespace {

constexpr auto kNoSseText =
    ToCp1251(u8"      Настройки плагина недоступны. \nПроцессор не поддерживает команды SSE.");

// The one settings window object, kept until the library unloads.
CSettingsDlg& TheSettingsDlg() {
  static CSettingsDlg dialog;
  return dialog;
}

}  // namespace

void ShowNoSseNotice(void* hostWindow) {
  MessageBoxA(static_cast<HWND>(hostWindow), kNoSseText.c_str(), "KRD_Kestrimo",
              MB_OK | MB_ICONINFORMATION);
}

bool FlashOpenSettingsWindow(PluginState& state) {
  CSettingsDlg& dialog = TheSettingsDlg();
  if (dialog.State() != &state) return false;
  SetFocus(dialog.Window());
  dialog.StartFlash(2);
  return true;
}

void OpenSettingsWindow(PluginState& state, void* hostWindow) {
  TheSettingsDlg().Open(state, static_cast<HWND>(hostWindow));
}

void DestroySettingsWindow(PluginState& state) {
  CSettingsDlg& dialog = TheSettingsDlg();
  if (dialog.State() == &state) DestroyWindow(dialog.Window());
}

}  // namespace kestrimo
