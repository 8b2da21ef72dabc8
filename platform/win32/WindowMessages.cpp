#include "platform/WindowMessages.h"

#include <windows.h>

namespace kestrimo {

void PostWindowMessage(void* window, unsigned message, std::uintptr_t wParam,
                       std::intptr_t lParam) {
  PostMessageA(static_cast<HWND>(window), message, wParam, lParam);
}

}  // namespace kestrimo
