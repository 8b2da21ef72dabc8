#include "platform/RecursiveLock.h"

#include <mutex>
#include <new>

namespace kestrimo {
namespace {
static_assert(sizeof(std::recursive_mutex) <= 64);
std::recursive_mutex* Mutex(unsigned char* storage) {
  return std::launder(reinterpret_cast<std::recursive_mutex*>(storage));
}
}  // namespace

RecursiveLock::RecursiveLock() { new (storage_) std::recursive_mutex(); }
RecursiveLock::~RecursiveLock() { Mutex(storage_)->~recursive_mutex(); }
void RecursiveLock::Lock() { Mutex(storage_)->lock(); }
void RecursiveLock::Unlock() { Mutex(storage_)->unlock(); }

}  // namespace kestrimo
