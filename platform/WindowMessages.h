// Posting a message to a window of the plug-in's own.
#pragma once

#include <cstdint>

namespace kestrimo {

// Queues the message and returns at once; does nothing where there are no
// windows (the native build).
void PostWindowMessage(void* window, unsigned message, std::uintptr_t wParam,
                       std::intptr_t lParam);

}  // namespace kestrimo
