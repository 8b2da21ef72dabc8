#include "platform/RecursiveLock.h"

#include <windows.h>

namespace kestrimo {
namespace {
static_assert(sizeof(CRITICAL_SECTION) <= 64);
CRITICAL_SECTION* Section(unsigned char* storage) {
  return reinterpret_cast<CRITICAL_SECTION*>(storage);
}
}  // namespace

RecursiveLock::RecursiveLock() { InitializeCriticalSection(Section(storage_)); }
RecursiveLock::~RecursiveLock() { DeleteCriticalSection(Section(storage_)); }
void RecursiveLock::Lock() { EnterCriticalSection(Section(storage_)); }
void RecursiveLock::Unlock() { LeaveCriticalSection(Section(storage_)); }

}  // namespace kestrimo
