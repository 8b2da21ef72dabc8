// The native build has no windows: the settings window's functions do nothing.
#include "ui/SettingsWindow.h"

namespace kestrimo {

void ShowNoSseNotice(void*) {}
bool FlashOpenSettingsWindow(PluginState&) { return false; }
void OpenSettingsWindow(PluginState&, void*) {}
void DestroySettingsWindow(PluginState&) {}

}  // namespace kestrimo
