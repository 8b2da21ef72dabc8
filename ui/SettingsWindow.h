// The settings window as the entry points see it. Implemented by the window
// code on Windows; the native build has no windows and does nothing here.
#pragma once

namespace kestrimo {

class PluginState;

// The notice shown instead of the window when the processor lacks SSE.
void ShowNoSseNotice(void* hostWindow);
// Focuses the open window and flashes its caption; false when none is open.
bool FlashOpenSettingsWindow(PluginState& state);
// Creates and shows the window, owned by hostWindow.
void OpenSettingsWindow(PluginState& state, void* hostWindow);
// Destroys the window if it is open; the changes are kept.
void DestroySettingsWindow(PluginState& state);

}  // namespace kestrimo
