// A process-wide re-entrant lock: a critical section on Windows, a recursive
// mutex elsewhere. The storage is opaque so that no platform header leaks out.
#pragma once

namespace kestrimo {

class RecursiveLock {
 public:
  RecursiveLock();
  ~RecursiveLock();
  RecursiveLock(const RecursiveLock&) = delete;
  RecursiveLock& operator=(const RecursiveLock&) = delete;

  void Lock();
  void Unlock();

 private:
  alignas(16) unsigned char storage_[64];
};

// Holds a RecursiveLock for the scope.
class LockHold {
 public:
  explicit LockHold(RecursiveLock& lock) : lock_(lock) { lock_.Lock(); }
  ~LockHold() { lock_.Unlock(); }
  LockHold(const LockHold&) = delete;
  LockHold& operator=(const LockHold&) = delete;

 private:
  RecursiveLock& lock_;
};

}  // namespace kestrimo
