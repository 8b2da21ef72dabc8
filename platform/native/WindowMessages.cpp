#include "platform/WindowMessages.h"

namespace kestrimo {

void PostWindowMessage(void*, unsigned, std::uintptr_t, std::intptr_t) {}

}  // namespace kestrimo
